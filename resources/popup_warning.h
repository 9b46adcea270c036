#pragma once

// Rich text shown by the battery-test popup. The popup form passes exactly this text to tr(), and
// lib_en.ts carries it byte for byte as its own translation (it is bilingual already), so any
// change here must be made in lib_en.ts as well; test_resources checks that they agree.
inline constexpr const char *kBatteryWarningHtml =
    "<html><head/><body>"
    "<p><span style='font-size:10pt; color:#ff0000;'>"
    "警告：运行前请正确设置被测电池的充满电压和放电终止电压，"
    "否则可能损坏电池，甚至引起爆炸！</span></p>"
    "<p><span style='font-size:10pt; color:#ff0000;'>"
    "Waring:Before operation, please set the full-charge voltage and the discharge cut-off "
    "voltage of the battery under test correctly, otherwise the battery may be damaged or "
    "even explode!</span></p>"
    "</body></html>";
