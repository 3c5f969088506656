#include "toolkit/FileNames.h"

namespace rastel::toolkit {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at bytes[i], or 0. Strict: no overlong forms, no
// surrogates, nothing beyond U+10FFFF, so that escaped bytes never meet real characters.
int SequenceLength(const QByteArray& bytes, qsizetype i) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    int n = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (b < 0x80) {
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + n > bytes.size() || at(i + 1) < lo || at(i + 1) > hi) {
        return 0;
    }
    for (int k = 2; k < n; ++k) {
        if (at(i + k) < 0x80 || at(i + k) > 0xBF) {
            return 0;
        }
    }
    return n;
}

bool IsEscape(QChar c) {
    return c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF;
}

}  // namespace

QString DecodeName(const QByteArray& bytes) {
    QString name;
    qsizetype run = 0;  // start of the valid bytes not yet decoded
    for (qsizetype i = 0; i < bytes.size();) {
        const int n = SequenceLength(bytes, i);
        if (n > 0) {
            i += n;
            continue;
        }
        name += QString::fromUtf8(bytes.mid(run, i - run));
        name += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    return name + QString::fromUtf8(bytes.mid(run));
}

QByteArray EncodeName(const QString& name) {
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        // An escape is a lone low surrogate: one after a high surrogate is half a character.
        if (IsEscape(name[i]) && (i == 0 || !name[i - 1].isHighSurrogate())) {
            bytes += name.mid(run, i - run).toUtf8();
            bytes += static_cast<char>(name[i].unicode() - kEscapeBase);
            run = i + 1;
        }
    }
    return bytes + name.mid(run).toUtf8();
}

}  // namespace rastel::toolkit
