#include "app/gbk_qstring.h"

#include "text/gbk_codec.h"

QString gbkToQString(std::string_view gbk)
{
    bool ascii = true;
    for (char c : gbk) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // Most cells (addresses, numbers) are ASCII: no conversion needed.
    if (ascii) return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
    const std::u16string utf16 = text::toUtf16(gbk);
    return QString(reinterpret_cast<const QChar*>(utf16.data()), static_cast<qsizetype>(utf16.size()));
}

Text qstringToGbk(const QString& s)
{
    return text::fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                               static_cast<std::size_t>(s.size())));
}

QString pathToQString(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string qstringToPath(const QString& s)
{
    return s.toStdString();
}
