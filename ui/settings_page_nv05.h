#pragma once
// The NV05 family's settings page (NV05, NV15, NV17): two display styles, brightness, standby,
// the shunt size, calibration, four prompt thresholds and the one-shot actions. Same rules as the
// HK07 family page; its controls' own form (SettingsNv05Controls.ui) is built when it is first
// shown.

#include "ui/settings_page_base.h"

class SettingsPageNv05 : public SettingsPageBase
{
    Q_OBJECT
public:
    explicit SettingsPageNv05(QWidget *parent = nullptr);

protected:
    void resolveParts() override;
    void buildControls(QWidget *body) override;
    const char *bodyName() const override;
    void refreshOwn(const proto::LiveValues &v, const DisplayTexts &t) override;

private:
    QComboBox *m_shunt = nullptr;
};
