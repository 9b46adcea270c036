#include "app/header_icon.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>

void attachHeaderIcon(QTreeWidget *tree, const QString &styleSheet, const QString &objectName)
{
    QHeaderView *header = tree->header();
    auto *icon = new QLabel(header);
    icon->setObjectName(objectName);
    icon->setFixedSize(20, 20);
    icon->setStyleSheet(styleSheet);
    const auto place = [tree, header, icon] {
        // The caption starts after the section's margin; the picture keeps a gap of that size.
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const int caption =
            QFontMetrics(header->font()).horizontalAdvance(tree->headerItem()->text(0));
        icon->move(header->sectionViewportPosition(0) + 2 * margin + caption + 6,
                   (header->height() - icon->height()) / 2);
    };
    QObject::connect(tree->model(), &QAbstractItemModel::headerDataChanged, icon, place);
    QObject::connect(header, &QHeaderView::geometriesChanged, icon, place);
    place();
}
