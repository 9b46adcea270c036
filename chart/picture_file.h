#pragma once
// Saving a chart picture, the live chart's and the viewer's alike: a file name asked for, then the
// picture written under it. A name without a picture suffix still gets a picture, PNG, as the
// save dialogs offer. A failed write is logged.

#include "record/data_file_saver.h"

#include <QPixmap>
#include <QString>

class QWidget;

bool savePicture(const QPixmap &image, const QString &fileName);

// Asks for a file name (`title`, `suggested` name, `filter`) and saves `image` there: the file
// written, or the file that could not be written; no path if the user cancelled.
SaveOutcome askAndSavePicture(QWidget *dialogParent, const QPixmap &image, const QString &title,
                              const QString &suggested, const QString &filter);
