// File names as the file system has them: bytes, most often UTF-8 but not always. A byte that
// is not part of valid UTF-8 becomes one lone surrogate (U+DC80 to U+DCFF) and back again, so
// that any name survives the trip through a QString and still opens the same file.
#pragma once

#include <QByteArray>
#include <QString>

namespace rastel::toolkit {

QString DecodeName(const QByteArray& bytes);
QByteArray EncodeName(const QString& name);

}  // namespace rastel::toolkit
