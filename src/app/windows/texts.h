// The program's own texts that more than one window uses.
#pragma once

#include <QString>

namespace morvalen::app {

inline const QString app_title = QStringLiteral("Morvalen_trs_zrn");
inline const QString start_caption = QStringLiteral("Тотализатор \"Тарвил\"");
inline const QString error_caption = QStringLiteral("Ошибка");

// Captions are written with CR LF line breaks; a label breaks its lines on LF alone.
inline QString label_text(const QString& caption) { return QString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
inline QString label_text(const std::string& caption) { return label_text(QString::fromStdString(caption)); }

}  // namespace morvalen::app
