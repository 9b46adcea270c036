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

public slots:
    void on_settings_btn_CN1_clicked();
    void on_settings_btn_CN2_clicked();
    void on_settings_btn_EN1_clicked();
    void on_settings_btn_EN2_clicked();
    void on_settings_slider_worklight_valueChanged(int position);
    void on_settings_slider_standlight_valueChanged(int position);
    void on_settings_slider_standtime_valueChanged(int position);
    void on_settings_slider_tempcali_valueChanged(int value);
    void on_settings_slider_voltcali_valueChanged(int value);
    void on_settings_slider_currcali_valueChanged(int value);
    void on_settings_edit_voltzero_editingFinished();
    void on_settings_edit_voltfull_editingFinished();
    void on_settings_edit_currfull_editingFinished();
    void on_settings_edit_currover_editingFinished();
    void on_settings_edit_poweover_editingFinished();
    void on_settings_edit_ntcover_editingFinished();
    void on_settings_edit_mosover_editingFinished();
    void on_settings_edit_timeh_editingFinished();
    void on_settings_edit_timem_editingFinished();
    void on_settings_btn_clearcurrent_clicked();
    void on_settings_btn_factory_reset_clicked();
    void on_settings_btn_datazero_clicked();

protected:
    void resolveParts() override;
    void buildControls(QWidget *body) override;
    const char *bodyName() const override;
};
