#pragma once
// File dialogs in Turkish, opening where their files are. Qt's own dialog is used everywhere, so
// that every word is Turkish whatever the desktop's language: its captions come from Qt's Turkish
// translation, and a proxy writes the sizes and dates of its detail view in the Turkish locale
// (the file model writes them in the system locale, often C: "947 bytes", "7 Dec 2026").
//
// Thread: UI thread only.

#include <QString>

class QFileDialog;
class QWidget;

namespace zembera {

// Makes `dialog` Qt's own dialog with Turkish sizes and dates.
void makeTurkish(QFileDialog& dialog);

// The chosen file, empty when the dialog was cancelled. `start` is a folder, or a file to suggest
// in its folder. A save that asks about its files itself passes confirmOverwrite false.
QString askOpenFileName(QWidget* parent, const QString& title, const QString& start,
                        const QString& filter);
QString askSaveFileName(QWidget* parent, const QString& title, const QString& start,
                        const QString& filter, bool confirmOverwrite = true);

} // namespace zembera
