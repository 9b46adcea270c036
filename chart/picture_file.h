#pragma once
// Saving a chart picture under a name the user typed: a name without a picture suffix still
// gets a picture, PNG, as the save dialogs offer. A failed write is logged.

#include <QPixmap>
#include <QString>

bool savePicture(const QPixmap &image, const QString &fileName);
