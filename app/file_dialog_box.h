#pragma once
// Shows the jobs' file dialog (FileDialog settings) as a Qt file dialog.

#include <QStringList>

#include "data/host.h"

class QWidget;

// "desc|pattern|desc|pattern" as Qt name filters: "desc (pattern)", or desc alone when it
// already names its pattern in parentheses. Patterns separated by ";" are joined by blanks.
QStringList qtNameFilters(const QString& filter);

// Modal. kind 1 is a save dialog that asks before overwriting; other kinds open an existing file.
// The default extension (with or without its dot) is added to a name typed without one. True when
// confirmed; settings.fileName is then the chosen path, which the next use proposes.
bool showFileDialog(QWidget* parent, FileDialog& settings);
