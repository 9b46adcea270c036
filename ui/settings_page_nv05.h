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

public slots:
    void on_NV05_settings_btn_CN_clicked();
    void on_NV05_settings_btn_EN_clicked();
    void on_NV05_settings_slider_worklight_valueChanged(int value);
    void on_NV05_settings_slider_standlight_valueChanged(int value);
    void on_NV05_settings_slider_standtime_valueChanged(int value);
    void on_NV05_setting_comboBox_currentIndexChanged(int index);
    void on_NV05_settings_slider_tempcali_valueChanged(int value);
    void on_NV05_settings_slider_voltcali_valueChanged(int value);
    void on_NV05_settings_slider_currcali_valueChanged(int value);
    void on_NV05_settings_edit_lowvolt_editingFinished();
    void on_NV05_settings_edit_overvolt_editingFinished();
    void on_NV05_settings_edit_overpower_editingFinished();
    void on_NV05_settings_edit_ntcover_editingFinished();
    void on_NV05_settings_btn_clearcurrent_clicked();
    void on_NV05_settings_btn_datazero_clicked();
    void on_NV05_settings_btn_factory_reset_clicked();

protected:
    void resolveParts() override;
    void buildControls(QWidget *body) override;
    const char *bodyName() const override;
    void refreshOwn(const proto::LiveValues &v, const DisplayTexts &t) override;

private:
    QComboBox *m_shunt = nullptr;
};
