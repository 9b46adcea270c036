#pragma once

// Rich text shown by the battery-test popup (lab_Tips of forms/BatteryTestPopup.ui). The form passes
// exactly this text to tr(), and lib_en.ts carries it byte for byte as its own translation (it is
// bilingual already), so any change here must be made in the form and lib_en.ts as well;
// test_resources and the popup's tests check that they agree.
inline constexpr const char *kBatteryWarningHtml =
    "<html><head/><body>"
    "<p><span style=\" font-size:10pt; color:#ff0000;\">"
    "警告：在开始运行之前，必须正确设置被测电池的充满电压值与放完电压值，"
    "否则会有损坏电池或电池爆炸的风险。</span></p>"
    "<p><span style=\" font-size:10pt; color:#ff0000;\">"
    "Waring:Before operation,the full charge voltage value and discharge voltage value of the "
    "tested battery must be set correctly,otherwise there will be a risk of battery damage or "
    "battery explosion.</span></p>"
    "</body></html>";
