#pragma once
// A catalogue text shown on a label or button is kept with the widget by its source, so that the
// widget's page can show it again in the language now in use after a switch, whatever the form's
// retranslation put there meanwhile. Texts from elsewhere (values, names, typing) are never kept.

class QWidget;

namespace ui {

// Shows `source` of the catalogue's `context` on `widget` (a QLabel or a QAbstractButton).
void setCatalogueText(QWidget *widget, const char *context, const char *source,
                      const char *disambiguation = nullptr);
// Shows again, in the language now in use, the catalogue text kept by `root` and every widget
// below it.
void showCatalogueTexts(QWidget *root);

} // namespace ui
