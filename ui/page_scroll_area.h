#pragma once
// The scroll area around the page stack. A form builds a scroll area's contents on their own and
// moves them in at the end, which restyles every widget in them a second time; here the first
// widget created inside the area goes into the viewport while it is still empty, so the form
// builds the stack where it stays. Forms declare it a plain container whose page method is
// setWidget.

#include <QScrollArea>

namespace ui {

class PageScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit PageScrollArea(QWidget *parent = nullptr);

protected:
    void childEvent(QChildEvent *event) override;

private:
    bool m_contentsPlaced = false;
};

} // namespace ui
