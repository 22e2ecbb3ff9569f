#pragma once
// The edge between the program's GBK texts and the widgets' QStrings.

#include <string>
#include <string_view>

#include <QString>

#include "text/text.h"

// GBK bytes as the widgets show them (invalid bytes become U+FFFD).
QString gbkToQString(std::string_view gbk);
// A widget's text as GBK (characters GBK lacks become "?").
Text qstringToGbk(const QString& s);

// File-system paths are UTF-8.
QString pathToQString(const std::string& utf8);
std::string qstringToPath(const QString& s);
