#pragma once
// The HK07 family's settings page (HK07, HK09, MR310, MR820): display style, brightness,
// standby, timed-discharge limit, calibration, protection thresholds and the one-shot actions.
// The main dialog's form creates the page with its title; the controls' own form
// (SettingsHk07Controls.ui) is built into it when it is first shown. This class gives them their
// behaviour.

#include "ui/settings_page_base.h"

class SettingsPageHk07 : public SettingsPageBase
{
    Q_OBJECT
public:
    explicit SettingsPageHk07(QWidget *parent = nullptr);

protected:
    void resolveParts() override;
    void buildControls(QWidget *body) override;
    const char *bodyName() const override;
};
