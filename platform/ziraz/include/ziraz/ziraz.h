#pragma once
// Core services of the GUI toolkit that the engine uses: 8-bit text
// conversion, the program folder and the XML element tree.
#include <QString>
#include <cstdint>
#include <string>

#include "ziraz/genericds.h"

class QTextCodec;

namespace ziraz {

// 8-bit text <-> QString. The default conversion (no codec) is UTF-8.
QString ConvertToUnicode(const std::string& text, QTextCodec* codec = nullptr);
QString ConvertToUnicode(const char* text, QTextCodec* codec = nullptr);
std::string ConvertFromUnicode(const QString& text, QTextCodec* codec = nullptr);

// The program folder, ending in '/': the folder named by the environment
// variable KEL_HOME when it is set, else the folder of the executable.
QString GetTargetPath();
// GetTargetPath() + name.
QString GetTargetPathFile(const QString& name);

// A file size as text for the user ("1.00 MB"); `unit` forces a unit
// ("B", "KB", "MB", "GB") when not empty; `precision` is the decimals.
QString GetFileSize(uint64_t bytes, const QString& unit = QString(), int precision = 2);

}  // namespace ziraz
