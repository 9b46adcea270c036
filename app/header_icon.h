#pragma once
// A small picture shown right after the caption of a tree's header. It follows the caption: a
// caption in another language is longer or shorter, and the picture must neither touch nor cover
// it.

class QString;
class QTreeWidget;

// The picture is a 20 x 20 label drawn with `styleSheet`, named `objectName`.
void attachHeaderIcon(QTreeWidget *tree, const QString &styleSheet, const QString &objectName);
