// The settings dialog's texts between Qt's strings and the field rules' standard ones; shared
// by the dialog's sources only.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace rastel::optMenuQt {

inline QString Qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string Std(const QString& text) {
    return text.toStdString();
}

inline QString Number(std::int64_t value) {
    return QString::number(value);
}

}  // namespace rastel::optMenuQt
