<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>MainDialog</name>
    <message>
        <source>电量 (Wh)</source>
        <translation>Energy (Wh)</translation>
    </message>
    <message>
        <source>容量 (mAh)</source>
        <translation>Capacity (mAh)</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;red&apos;&gt;文本框含有非法字符，请重新输入！&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;red&apos;&gt;The text box contains illegal characters, please re-enter!&lt;/font&gt;</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;red&apos;&gt;超出仪器可设置的范围（%1～%2），请重新输入！&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;red&apos;&gt;Out of the range the instrument can hold (%1 to %2), please re-enter!&lt;/font&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;主页菜单&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Home Menu&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>TALMIR_USB_TESTER</source>
        <translation>TALMIR USB TESTER</translation>
    </message>
    <message>
        <source>BIN文件(*.bin)</source>
        <translation>BIN file (*.bin)</translation>
    </message>
    <message>
        <source>NV05/NV15/NV17主页菜单</source>
        <translation>NV05/NV15/NV17 Menu</translation>
    </message>
    <message>
        <source>NV05主界面</source>
        <translation>NV05 Main</translation>
    </message>
    <message>
        <source>下拉菜单</source>
        <translation>Drop-down menu</translation>
    </message>
    <message>
        <source>下载烧写过程耗时</source>
        <translation>The download burning process takes time</translation>
    </message>
    <message>
        <source>主:%1</source>
        <translation>M:%1</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>主页菜单</source>
        <translation>Home Menu</translation>
    </message>
    <message>
        <source>从:%1</source>
        <translation>S:%1</translation>
    </message>
    <message>
        <source>仪表参数设置</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>传输完成...</source>
        <translation>Transfer complete...</translation>
    </message>
    <message>
        <source>传输耗时</source>
        <translation>Transmission time</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止放电</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>充放充</source>
        <translation>CDC Mode</translation>
    </message>
    <message>
        <source>充放充放充</source>
        <translation>CDCDC Mode</translation>
    </message>
    <message>
        <source>充放电循环测试</source>
        <translation>CDxn Tester</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>单击停止</source>
        <translation>Click to stop</translation>
    </message>
    <message>
        <source>单击停止放电</source>
        <translation>Click to stop discharging</translation>
    </message>
    <message>
        <source>单击开始</source>
        <translation>Click to start</translation>
    </message>
    <message>
        <source>单击开始放电</source>
        <translation>Click to start discharging</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>固件升级</source>
        <comment>caption under the upgrade shortcut</comment>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>固件是空的</source>
        <translation>Firmware is empty</translation>
    </message>
    <message>
        <source>固件过大,请选择正确的固件</source>
        <translation>The firmware is too large, please select the correct firmware</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>开始/停止</source>
        <translation>Start/Stop</translation>
    </message>
    <message>
        <source>开始下载</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>开始传输固件...</source>
        <translation>Start transferring firmware...</translation>
    </message>
    <message>
        <source>开始放电</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>开始放电/停止放电</source>
        <translation>OFF/ON</translation>
    </message>
    <message>
        <source>恒功率模式</source>
        <translation>Constant Power</translation>
    </message>
    <message>
        <source>恒电压模式</source>
        <translation>Constant Voltage</translation>
    </message>
    <message>
        <source>恒电流模式</source>
        <translation>Constant Current</translation>
    </message>
    <message>
        <source>恒电阻模式</source>
        <translation>Constant Resistance</translation>
    </message>
    <message>
        <source>打开固件文件</source>
        <translation>Open firmware file</translation>
    </message>
    <message>
        <source>打开文件...</source>
        <translation>Open File...</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Fail to open file</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Prompt information</translation>
    </message>
    <message>
        <source>握手成功...</source>
        <translation>Handshake succeeded...</translation>
    </message>
    <message>
        <source>搜索总线上的设备</source>
        <translation>Search for devices on the bus</translation>
    </message>
    <message>
        <source>数据图表展示</source>
        <translation>Chart Display</translation>
    </message>
    <message>
        <source>曲线宽度</source>
        <translation>Curve width</translation>
    </message>
    <message>
        <source>曲线颜色</source>
        <translation>Curve color</translation>
    </message>
    <message>
        <source>更多功能等待开发</source>
        <translation>Developing</translation>
    </message>
    <message>
        <source>测试计划</source>
        <translation>Test Plan</translation>
    </message>
    <message>
        <source>更新失败</source>
        <translation>Update failed</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>本次下载结束</source>
        <translation>End of this download</translation>
    </message>
    <message>
        <source>标题变更对话框</source>
        <translation>Title Change Dialog</translation>
    </message>
    <message>
        <source>正在扫描总线设备</source>
        <translation>Scanning bus devices</translation>
    </message>
    <message>
        <source>此功能正在加点开发中，敬请期待。</source>
        <translation>This function is under development.</translation>
    </message>
    <message>
        <source>测内阻</source>
        <translation>Internal_Res_Tester</translation>
    </message>
    <message>
        <source>测电源</source>
        <translation>Power Tester</translation>
    </message>
    <message>
        <source>测线组</source>
        <translation>Cable Tester</translation>
    </message>
    <message>
        <source>测试仪主界面</source>
        <translation>Home Menu</translation>
    </message>
    <message>
        <source>点击搜索总线设备</source>
        <translation>Click to search for bus devices</translation>
    </message>
    <message>
        <source>烧写完成...</source>
        <translation>Burning completed...</translation>
    </message>
    <message>
        <source>电能表主界面</source>
        <translation>Meter Main</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>空的固件</source>
        <translation>Empty firmware</translation>
    </message>
    <message>
        <source>背景颜色风格：</source>
        <translation>ChartTheme:</translation>
    </message>
    <message>
        <source>设备列表</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>设备名称:</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>设备已断开</source>
        <translation>Device disconnected</translation>
    </message>
    <message>
        <source>设备已连接</source>
        <translation>Device connected</translation>
    </message>
    <message>
        <source>请使用数据线将设备的HID口与电脑相连接！</source>
        <translation>Please connect the HID to the computer!</translation>
    </message>
    <message>
        <source>请等待设备烧写完成...</source>
        <translation>Please wait for the device to finish burning...</translation>
    </message>
    <message>
        <source>请输入标题:</source>
        <translation>Please enter a title:</translation>
    </message>
    <message>
        <source>返回主页</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>00</source>
        <translation>00</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>1.000</source>
        <translation>1.000</translation>
    </message>
    <message>
        <source>60</source>
        <translation>60</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>TALMIR Lumerin System APP V1.0.6</source>
        <translation>TALMIR Lumerin System APP V1.0.6</translation>
    </message>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>CPU_Temp</source>
        <translation>CPU_Temp</translation>
    </message>
    <message>
        <source>CURR</source>
        <translation>CURR</translation>
    </message>
    <message>
        <source>ELE</source>
        <translation>ELE</translation>
    </message>
    <message>
        <source>Files (*.csv)</source>
        <translation>Files (*.csv)</translation>
    </message>
    <message>
        <source>H</source>
        <translation>H</translation>
    </message>
    <message>
        <source>Is:</source>
        <translation>Is:</translation>
    </message>
    <message>
        <source>MOS_T</source>
        <translation>MOS_T</translation>
    </message>
    <message>
        <source>MOS_Temp</source>
        <translation>MOS_Temp</translation>
    </message>
    <message>
        <source>NTC_Temp</source>
        <translation>NTC_Temp</translation>
    </message>
    <message>
        <source>POWER</source>
        <translation>POWER</translation>
    </message>
    <message>
        <source>Ps:</source>
        <translation>Ps:</translation>
    </message>
    <message>
        <source>Rs:</source>
        <translation>Rs:</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>V</source>
        <translation>V</translation>
    </message>
    <message>
        <source>VOLT</source>
        <translation>VOLT</translation>
    </message>
    <message>
        <source>Vs:</source>
        <translation>Vs:</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>image(*.png)</source>
        <translation>image(*.png)</translation>
    </message>
    <message>
        <source>mAh</source>
        <translation>mAh</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>wh</source>
        <translation>wh</translation>
    </message>
    <message>
        <source>Ω</source>
        <translation>Ω</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>数据文件夹: %1</source>
        <translation>Data folder: %1</translation>
    </message>
    <message>
        <source>已恢复中断的记录: %1</source>
        <translation>Recovered an interrupted recording: %1</translation>
    </message>
    <message>
        <source>中断记录 %1 已损坏, 无法恢复, 已改名为 %2</source>
        <translation>The interrupted recording %1 is damaged and could not be recovered; it was renamed %2</translation>
    </message>
    <message>
        <source>(文件头已损坏, 型号系列按数据列数判断)</source>
        <translation>(its header was damaged: the model family was told by the number of columns)</translation>
    </message>
    <message>
        <source>(%1 行已损坏, 未能恢复)</source>
        <translation>(%1 damaged lines could not be recovered)</translation>
    </message>
    <message>
        <source>以后的记录将保存在: %1</source>
        <translation>Later runs will be saved in: %1</translation>
    </message>
    <message>
        <source>上次记录的 %1 条数据未能保存，也不在中断记录文件中。开始新的记录将丢弃它们。
丢弃它们吗？选“否”则保留，新的记录接在其后（可用“导出数据”保存）。</source>
        <translation>The %1 rows of the last run could not be saved and are not in a recovery file either. Starting a new run discards them.
Discard them? Choose No to keep them: the new run continues after them (use “Export data” to save them).</translation>
    </message>
</context>
<context>
    <name>SettingsHk07Controls</name>
    <message>
        <source>01 界面显示风格</source>
        <translation>01 Language Style</translation>
    </message>
    <message>
        <source>中文数字</source>
        <translation>CN-A</translation>
    </message>
    <message>
        <source>中文曲线</source>
        <translation>CN-B</translation>
    </message>
    <message>
        <source>EN-Numbe</source>
        <translation>EN-A</translation>
    </message>
    <message>
        <source>EN-Curve</source>
        <translation>EN-B</translation>
    </message>
    <message>
        <source>02 工作屏幕亮度</source>
        <translation>02 Display Brightness</translation>
    </message>
    <message>
        <source>03 待机屏幕亮度</source>
        <translation>03 Standby Brightness</translation>
    </message>
    <message>
        <source>04 进入待机时间</source>
        <translation>04 Enter Standby Time</translation>
    </message>
    <message>
        <source>05 限时放电时间</source>
        <translation>05 Limit Time Discharge</translation>
    </message>
    <message>
        <source>限时放电小时数</source>
        <translation>Discharge time limit, hours</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source>限时放电分钟数</source>
        <translation>Discharge time limit, minutes</translation>
    </message>
    <message>
        <source>H</source>
        <translation>H</translation>
    </message>
    <message>
        <source>06 参考电压校准</source>
        <translation>06 Voltage Calibrate Ref</translation>
    </message>
    <message>
        <source>当前电压：</source>
        <translation>Current voltage:</translation>
    </message>
    <message>
        <source>V</source>
        <translation>V</translation>
    </message>
    <message>
        <source>校准系数：</source>
        <translation>Calibration factor:</translation>
    </message>
    <message>
        <source>07 参考电流校准</source>
        <translation>07 Current Calibrate Ref</translation>
    </message>
    <message>
        <source>当前电流：</source>
        <translation>Current current:</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>08 外部温度校准</source>
        <translation>08 Ext_temp Calibration</translation>
    </message>
    <message>
        <source>当前温度：</source>
        <translation>Current temperature:</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>09 空载电流清零</source>
        <translation>06 Zero No-load Current</translation>
    </message>
    <message>
        <source>电流清零</source>
        <translation>Current clearing</translation>
    </message>
    <message>
        <source>10 累计数据清零</source>
        <translation>10 Zero All Data</translation>
    </message>
    <message>
        <source>数据清零</source>
        <translation>Data clearing</translation>
    </message>
    <message>
        <source>11 恢复出厂设置</source>
        <translation>11 Default Setting</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Restore settings</translation>
    </message>
    <message>
        <source>12 其他参数设置</source>
        <translation>Other setting</translation>
    </message>
    <message>
        <source>放电停止电压：</source>
        <translation>D_Cutoff Volt:</translation>
    </message>
    <message>
        <source>充电停止电压：</source>
        <translation>C_Cutoff Volt:</translation>
    </message>
    <message>
        <source>充电停止电流：</source>
        <translation>C_Cutoff Amp:</translation>
    </message>
    <message>
        <source>充放过流门限：</source>
        <translation>FULL.I:</translation>
    </message>
    <message>
        <source>充放过功门限：</source>
        <translation>Over Power:</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>探头过温门限：</source>
        <translation>Over Ext.Temp:</translation>
    </message>
    <message>
        <source>MOS管过温门限：</source>
        <translation>Over_Temp MOS:</translation>
    </message>
</context>
<context>
    <name>SettingsNv05Controls</name>
    <message>
        <source>01 界面显示风格</source>
        <translation>01 Language Style</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>ENGLISH</source>
        <translation>ENGLISH</translation>
    </message>
    <message>
        <source>02 工作屏幕亮度</source>
        <translation>02 Display Brightness</translation>
    </message>
    <message>
        <source>03 待机屏幕亮度</source>
        <translation>03 Standby Brightness</translation>
    </message>
    <message>
        <source>04 进入待机时间</source>
        <translation>04 Enter Standby Time</translation>
    </message>
    <message>
        <source>05 选分流器规格</source>
        <translation>05 Diverter size</translation>
    </message>
    <message>
        <source>30A</source>
        <translation>30A</translation>
    </message>
    <message>
        <source>100A</source>
        <translation>100A</translation>
    </message>
    <message>
        <source>200A</source>
        <translation>200A</translation>
    </message>
    <message>
        <source>300A</source>
        <translation>300A</translation>
    </message>
    <message>
        <source>400A</source>
        <translation>400A</translation>
    </message>
    <message>
        <source>500A</source>
        <translation>500A</translation>
    </message>
    <message>
        <source>600A</source>
        <translation>600A</translation>
    </message>
    <message>
        <source>1000A</source>
        <translation>1000A</translation>
    </message>
    <message>
        <source>06 参考电压校准</source>
        <translation>06 Voltage Calibrate Ref</translation>
    </message>
    <message>
        <source>当前电压：</source>
        <translation>Current voltage:</translation>
    </message>
    <message>
        <source>V</source>
        <translation>V</translation>
    </message>
    <message>
        <source>校准系数：</source>
        <translation>Calibration factor:</translation>
    </message>
    <message>
        <source>07 参考电流校准</source>
        <translation>07 Current Calibrate Ref</translation>
    </message>
    <message>
        <source>当前电流：</source>
        <translation>Current current:</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>08 外部温度校准</source>
        <translation>08 Ext_temp Calibration</translation>
    </message>
    <message>
        <source>当前温度：</source>
        <translation>Current temperature:</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>09 空载电流清零</source>
        <translation>06 Zero No-load Current</translation>
    </message>
    <message>
        <source>电流清零</source>
        <translation>Current clearing</translation>
    </message>
    <message>
        <source>10 累计数据清零</source>
        <translation>10 Zero All Data</translation>
    </message>
    <message>
        <source>数据清零</source>
        <translation>Data clearing</translation>
    </message>
    <message>
        <source>11 恢复出厂设置</source>
        <translation>11 Default Setting</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Restore settings</translation>
    </message>
    <message>
        <source>12 其他参数设置</source>
        <translation>Other setting</translation>
    </message>
    <message>
        <source>低压自动提示：</source>
        <translation>LVP:</translation>
    </message>
    <message>
        <source>过压自动提示：</source>
        <translation>OVP:</translation>
    </message>
    <message>
        <source>过功自动提示：</source>
        <translation>OPP:</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>探头过温门限：</source>
        <translation>Over Ext.Temp:</translation>
    </message>
</context>
<context>
    <name>BatteryTestPopup</name>
    <message>
        <source>倒计时</source>
        <translation>Countdown</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt; color:#ff0000;&quot;&gt;警告：在开始运行之前，必须正确设置被测电池的充满电压值与放完电压值，否则会有损坏电池或电池爆炸的风险。&lt;/span&gt;&lt;/p&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt; color:#ff0000;&quot;&gt;Waring:Before operation,the full charge voltage value and discharge voltage value of the tested battery must be set correctly,otherwise there will be a risk of battery damage or battery explosion.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt; color:#ff0000;&quot;&gt;警告：在开始运行之前，必须正确设置被测电池的充满电压值与放完电压值，否则会有损坏电池或电池爆炸的风险。&lt;/span&gt;&lt;/p&gt;&lt;p&gt;&lt;span style=&quot; font-size:10pt; color:#ff0000;&quot;&gt;Waring:Before operation,the full charge voltage value and discharge voltage value of the tested battery must be set correctly,otherwise there will be a risk of battery damage or battery explosion.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>清除数据并开始新一轮放电</source>
        <translation>Clear data for a new cycle</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>继续上一轮放电</source>
        <translation>Continue to previous cycle</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>Tips</source>
        <translation>Tips</translation>
    </message>
</context>
<context>
    <name>ChartView</name>
    <message>
        <source>实时曲线</source>
        <translation>Real-time chart</translation>
    </message>
</context>
<context>
    <name>CurvePanel</name>
    <message>
        <source>曲线设置</source>
        <translation>Curve Settings</translation>
    </message>
    <message>
        <source>曲线颜色</source>
        <translation>Curve color</translation>
    </message>
    <message>
        <source>曲线宽度</source>
        <translation>Curve width</translation>
    </message>
    <message>
        <source>背景颜色风格：</source>
        <translation>ChartTheme:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>CPU_Temp</source>
        <translation>CPU_Temp</translation>
    </message>
    <message>
        <source>CURR</source>
        <translation>CURR</translation>
    </message>
    <message>
        <source>ELE</source>
        <translation>ELE</translation>
    </message>
    <message>
        <source>MOS_Temp</source>
        <translation>MOS_Temp</translation>
    </message>
    <message>
        <source>NTC_Temp</source>
        <translation>NTC_Temp</translation>
    </message>
    <message>
        <source>POWER</source>
        <translation>POWER</translation>
    </message>
    <message>
        <source>VOLT</source>
        <translation>VOLT</translation>
    </message>
</context>
<context>
    <name>DeviceInfoUI</name>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>SN</translation>
    </message>
    <message>
        <source>模拟器</source>
        <translation>Simulator</translation>
    </message>
    <message>
        <source>点击图标添加设备</source>
        <translation>Click to add device</translation>
    </message>
    <message>
        <source>点击图标移出设备</source>
        <translation>Clickto remove device</translation>
    </message>
    <message>
        <source>空闲</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>连接</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>[none]</source>
        <translation>[none]</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
</context>
<context>
    <name>FirmwarePage</name>
    <message>
        <source>这不是本仪器的固件：文件太短，没有向量表</source>
        <translation>Not firmware for this instrument: the file is too short for a vector table</translation>
    </message>
    <message>
        <source>这不是本仪器的固件：初始栈指针 %1 不在内存中</source>
        <translation>Not firmware for this instrument: its initial stack pointer %1 is not in RAM</translation>
    </message>
    <message>
        <source>这不是本仪器的固件：复位地址 %1 不是闪存中的 Thumb 代码</source>
        <translation>Not firmware for this instrument: its reset address %1 is not Thumb code in flash</translation>
    </message>
    <message>
        <source>将固件 %1（%2 字节）写入 %3 仪器（当前版本 %4）？写入期间请勿断开仪器。</source>
        <translation>Write the firmware %1 (%2 bytes) to the %3 instrument (version now %4)? Do not disconnect the instrument while it is written.</translation>
    </message>
    <message>
        <source>升级已取消</source>
        <translation>Upgrade cancelled</translation>
    </message>
    <message>
        <source>返回主页</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>本地升级</source>
        <translation>Local upgrade</translation>
    </message>
    <message>
        <source>固件信息</source>
        <translation>Firmware information</translation>
    </message>
    <message>
        <source>固件大小：</source>
        <translation>File size:</translation>
    </message>
    <message>
        <source>固件大小</source>
        <translation>File size</translation>
    </message>
    <message>
        <source>打开固件：</source>
        <translation>Open file:</translation>
    </message>
    <message>
        <source>固件文件</source>
        <translation>Firmware file</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>打开固件文件</source>
        <translation>Open firmware file</translation>
    </message>
    <message>
        <source>开始下载</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>开始下载固件</source>
        <translation>Start the firmware download</translation>
    </message>
    <message>
        <source>设备信息</source>
        <translation>Device information</translation>
    </message>
    <message>
        <source>设备名称：</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>连接状态</source>
        <translation>Connection state</translation>
    </message>
    <message>
        <source>升级进度</source>
        <translation>Upgrade progress</translation>
    </message>
    <message>
        <source>升级日志：</source>
        <translation>Log:</translation>
    </message>
    <message>
        <source>升级日志</source>
        <translation>Upgrade log</translation>
    </message>
    <message>
        <source>设备已连接</source>
        <translation>Device connected</translation>
    </message>
    <message>
        <source>设备名称:</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>设备已断开</source>
        <translation>Device disconnected</translation>
    </message>
    <message>
        <source>打开文件...</source>
        <translation>Open File...</translation>
    </message>
    <message>
        <source>BIN文件(*.bin)</source>
        <translation>BIN file (*.bin)</translation>
    </message>
    <message>
        <source>error</source>
        <translation>error</translation>
    </message>
    <message>
        <source>打开文件失败</source>
        <translation>Fail to open file</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>固件过大,请选择正确的固件</source>
        <translation>The firmware is too large, please select the correct firmware</translation>
    </message>
    <message>
        <source>空的固件</source>
        <translation>Empty firmware</translation>
    </message>
    <message>
        <source>固件是空的</source>
        <translation>Firmware is empty</translation>
    </message>
    <message>
        <source>更新失败</source>
        <translation>Update failed</translation>
    </message>
</context>
<context>
    <name>LiveChart</name>
    <message>
        <source>Save File</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>image(*.png)</source>
        <translation>image(*.png)</translation>
    </message>
</context>
<context>
    <name>AxisRangePanel</name>
    <message>
        <source>自定义曲线范围</source>
        <translation>Custom Scope</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>当前状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>数据轴</source>
        <translation>Data axis</translation>
    </message>
    <message>
        <source>最大值</source>
        <translation>Maximum value</translation>
    </message>
    <message>
        <source>最小值</source>
        <translation>Minimum value</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CAP:</source>
        <translation>CAP:</translation>
    </message>
    <message>
        <source>CPU_T:</source>
        <translation>CPU_T:</translation>
    </message>
    <message>
        <source>CURR:</source>
        <translation>CURR:</translation>
    </message>
    <message>
        <source>ELE:</source>
        <translation>ELE:</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>MOS_T:</source>
        <translation>MOS_T:</translation>
    </message>
    <message>
        <source>NTC_T:</source>
        <translation>NTC_T:</translation>
    </message>
    <message>
        <source>POWER:</source>
        <translation>POWER:</translation>
    </message>
    <message>
        <source>VOLT:</source>
        <translation>VOLT:</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;red&apos;&gt;请输入 %1 到 %2 之间的数值！&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;red&apos;&gt;Please enter a value between %1 and %2!&lt;/font&gt;</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;red&apos;&gt;最小值必须小于最大值，请重新输入！&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;red&apos;&gt;The minimum must be below the maximum, please re-enter!&lt;/font&gt;</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>
</source>
        <translation>
</translation>
    </message>
    <message>
        <source>-----------------------NV05/NV15/NV17-----------------------
</source>
        <translation>-----------------------NV05/NV15/NV17-----------------------
</translation>
    </message>
    <message>
        <source>------------------HK07/MR310/MR820/MR470-------------------
</source>
        <translation>------------------HK07/MR310/MR820/MR470-------------------
</translation>
    </message>
    <message>
        <source>----------------TALMIR LOAD_Tester Software----------------
</source>
        <translation>----------------TALMIR LOAD_Tester Software----------------
</translation>
    </message>
    <message>
        <source>----------------TALMIR POWER_Tester Software----------------
</source>
        <translation>----------------TALMIR POWER_Tester Software----------------
</translation>
    </message>
    <message>
        <source>FAN_SPEED(RPM),
</source>
        <translation>FAN_SPEED(RPM),
</translation>
    </message>
    <message>
        <source>,</source>
        <translation>,</translation>
    </message>
    <message>
        <source>CPU_TEMP(℃),</source>
        <translation>CPU_TEMP(℃),</translation>
    </message>
    <message>
        <source>CURRENT(A),</source>
        <translation>CURRENT(A),</translation>
    </message>
    <message>
        <source>DATE,</source>
        <translation>DATE,</translation>
    </message>
    <message>
        <source>E_CAPACITY(mAh),</source>
        <translation>E_CAPACITY(mAh),</translation>
    </message>
    <message>
        <source>E_QUANTITY(Wh),</source>
        <translation>E_QUANTITY(Wh),</translation>
    </message>
    <message>
        <source>MOS_TEMP(℃),</source>
        <translation>MOS_TEMP(℃),</translation>
    </message>
    <message>
        <source>NTC_TEMP(℃),</source>
        <translation>NTC_TEMP(℃),</translation>
    </message>
    <message>
        <source>POWER(W),</source>
        <translation>POWER(W),</translation>
    </message>
    <message>
        <source>RESISTANCE(Ω),</source>
        <translation>RESISTANCE(Ω),</translation>
    </message>
    <message>
        <source>VOLTAGE(V),</source>
        <translation>VOLTAGE(V),</translation>
    </message>
</context>
<context>
    <name>UpgradeTransfer</name>
    <message>
        <source>握手成功...</source>
        <translation>Handshake succeeded...</translation>
    </message>
    <message>
        <source>开始传输固件...</source>
        <translation>Start transferring firmware...</translation>
    </message>
    <message>
        <source>传输完成...</source>
        <translation>Transfer complete...</translation>
    </message>
    <message>
        <source>传输耗时</source>
        <translation>Transmission time</translation>
    </message>
    <message>
        <source>请等待设备烧写完成...</source>
        <translation>Please wait for the device to finish burning...</translation>
    </message>
    <message>
        <source>下载烧写过程耗时</source>
        <translation>The download burning process takes time</translation>
    </message>
    <message>
        <source>烧写完成...</source>
        <translation>Burning completed...</translation>
    </message>
    <message>
        <source>本次下载结束</source>
        <translation>End of this download</translation>
    </message>
</context>
<context>
    <name>DataFileSaver</name>
    <message>
        <source>数据保存失败: %1</source>
        <translation>Saving data failed: %1</translation>
    </message>
</context>
<context>
    <name>CrashNotice</name>
    <message>
        <source>提示信息</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>程序上次意外关闭。崩溃报告保存在:
%1</source>
        <translation>The program closed unexpectedly last time. The crash report is in:
%1</translation>
    </message>
</context>
<context>
    <name>RunViewer</name>
    <message>
        <source>记录的数据</source>
        <translation>Recorded runs</translation>
    </message>
    <message>
        <source>打开...</source>
        <translation>Open...</translation>
    </message>
    <message>
        <source>最近打开</source>
        <translation>Recent</translation>
    </message>
    <message>
        <source>比较:</source>
        <translation>Compare:</translation>
    </message>
    <message>
        <source>导出表格(.csv)</source>
        <translation>Export table (.csv)</translation>
    </message>
    <message>
        <source>导出图片(.png)</source>
        <translation>Export picture (.png)</translation>
    </message>
    <message>
        <source>全部关闭</source>
        <translation>Close all</translation>
    </message>
</context>
<context>
    <name>review::RunViewer</name>
    <message>
        <source>正在打开 %1 个文件...</source>
        <translation>Opening %1 file(s)...</translation>
    </message>
    <message>
        <source>最多比较 %1 个记录, 未打开: %2</source>
        <translation>At most %1 runs can be compared; not opened: %2</translation>
    </message>
    <message>
        <source>已打开 %1 个记录</source>
        <translation>%1 run(s) open</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>打开记录的数据</source>
        <translation>Open recorded runs</translation>
    </message>
    <message>
        <source>数据文件 (*.csv *.journal);;所有文件 (*)</source>
        <translation>Data files (*.csv *.journal);;All files (*)</translation>
    </message>
    <message>
        <source>(无)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>导出表格</source>
        <translation>Export table</translation>
    </message>
    <message>
        <source>表格文件 (*.csv)</source>
        <translation>Table files (*.csv)</translation>
    </message>
    <message>
        <source>表格未能保存: %1 (%2)</source>
        <translation>Table not saved: %1 (%2)</translation>
    </message>
    <message>
        <source>表格已保存: %1</source>
        <translation>Table saved: %1</translation>
    </message>
    <message>
        <source>保存图片</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>图片 (*.png)</source>
        <translation>Pictures (*.png)</translation>
    </message>
    <message>
        <source>图片已保存: %1</source>
        <translation>Picture saved: %1</translation>
    </message>
    <message>
        <source>图片未能保存: %1</source>
        <translation>Picture not saved: %1</translation>
    </message>
</context>
<context>
    <name>review::RunChartView</name>
    <message>
        <source>记录曲线</source>
        <translation>Recorded runs chart</translation>
    </message>
</context>
<context>
    <name>Quantity</name>
    <message>
        <source>电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>功率</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>电量</source>
        <translation>Energy</translation>
    </message>
    <message>
        <source>容量</source>
        <translation>Capacity</translation>
    </message>
    <message>
        <source>CPU温度</source>
        <translation>CPU temperature</translation>
    </message>
    <message>
        <source>探头温度</source>
        <translation>Probe temperature</translation>
    </message>
    <message>
        <source>MOS温度</source>
        <translation>MOS temperature</translation>
    </message>
    <message>
        <source>电阻</source>
        <translation>Resistance</translation>
    </message>
    <message>
        <source>风扇转速</source>
        <translation>Fan speed</translation>
    </message>
</context>
<context>
    <name>review::RunChart</name>
    <message>
        <source>运行时间</source>
        <translation>Elapsed time</translation>
    </message>
</context>
<context>
    <name>review::SummaryTable</name>
    <message>
        <source>开始时间</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>样本数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>型号系列</source>
        <translation>Family</translation>
    </message>
    <message>
        <source>起始电压 (V)</source>
        <translation>First voltage (V)</translation>
    </message>
    <message>
        <source>结束电压 (V)</source>
        <translation>Last voltage (V)</translation>
    </message>
    <message>
        <source>最低电压 (V)</source>
        <translation>Minimum voltage (V)</translation>
    </message>
    <message>
        <source>最高电压 (V)</source>
        <translation>Maximum voltage (V)</translation>
    </message>
    <message>
        <source>平均电流 (A)</source>
        <translation>Mean current (A)</translation>
    </message>
    <message>
        <source>平均功率 (W)</source>
        <translation>Mean power (W)</translation>
    </message>
    <message>
        <source>峰值功率 (W)</source>
        <translation>Peak power (W)</translation>
    </message>
    <message>
        <source>容量 (mAh)</source>
        <translation>Capacity (mAh)</translation>
    </message>
    <message>
        <source>电量 (Wh)</source>
        <translation>Energy (Wh)</translation>
    </message>
    <message>
        <source>积分电量 V×I (Wh)</source>
        <translation>Integrated V×I energy (Wh)</translation>
    </message>
    <message>
        <source>最高CPU温度 (℃)</source>
        <translation>Highest CPU temperature (℃)</translation>
    </message>
    <message>
        <source>最高探头温度 (℃)</source>
        <translation>Highest probe temperature (℃)</translation>
    </message>
    <message>
        <source>最高MOS温度 (℃)</source>
        <translation>Highest MOS temperature (℃)</translation>
    </message>
    <message>
        <source>时间间断 (&gt;3 s)</source>
        <translation>Gaps (&gt;3 s)</translation>
    </message>
    <message>
        <source>%1 次, 共 %2</source>
        <translation>%1, %2 in total</translation>
    </message>
</context>
<context>
    <name>review::ReadProblem</name>
    <message>
        <source>无法读取文件</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <source>文件是空的</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>含有不是UTF-8的字节</source>
        <translation>holds bytes that are not UTF-8</translation>
    </message>
    <message>
        <source>不是本程序记录的数据文件</source>
        <translation>not a data file recorded by this program</translation>
    </message>
    <message>
        <source>表头不完整或有误</source>
        <translation>the header block is incomplete or wrong</translation>
    </message>
    <message>
        <source>应有 %1 列, 实有 %2 列</source>
        <translation>%1 columns expected, %2 found</translation>
    </message>
    <message>
        <source>时间格式有误</source>
        <translation>the time is not yyyy-MM-dd_hh:mm:ss</translation>
    </message>
    <message>
        <source>数值有误</source>
        <translation>a value is not a number</translation>
    </message>
    <message>
        <source>行过长</source>
        <translation>the line is too long</translation>
    </message>
    <message>
        <source>最后一行不完整</source>
        <translation>the last line is incomplete</translation>
    </message>
    <message>
        <source>没有数据行</source>
        <translation>no data rows</translation>
    </message>
    <message>
        <source>最多读取 %1 个记录, 从此行起未打开</source>
        <translation>at most %1 runs are read; not opened from this line on</translation>
    </message>
    <message>
        <source>最多比较 %1 个记录, 未打开</source>
        <translation>at most %1 runs are compared; not opened</translation>
    </message>
    <message>
        <source>文件在读取时被改动</source>
        <translation>the file changed while it was read</translation>
    </message>
    <message>
        <source>中断记录文件已损坏</source>
        <translation>the journal is damaged</translation>
    </message>
    <message>
        <source>%1, 第 %2 行: %3</source>
        <translation>%1, line %2: %3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
</context>
<context>
    <name>LabLinkDialog</name>
    <message>
        <source>实验室联网</source>
        <translation>Lab link</translation>
    </message>
    <message>
        <source>发布到MQTT服务器</source>
        <translation>Publish to an MQTT broker</translation>
    </message>
    <message>
        <source>服务器:</source>
        <translation>Broker:</translation>
    </message>
    <message>
        <source>端口:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>使用TLS加密</source>
        <translation>Use TLS</translation>
    </message>
    <message>
        <source>CA证书文件:</source>
        <translation>CA file:</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>用户名:</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>主题前缀:</source>
        <translation>Topic prefix:</translation>
    </message>
    <message>
        <source>Home Assistant自动发现</source>
        <translation>Home Assistant discovery</translation>
    </message>
    <message>
        <source>密码只保存在本机的设置文件中。</source>
        <translation>The password is kept only in this computer&apos;s settings file.</translation>
    </message>
    <message>
        <source>测试连接</source>
        <translation>Test connection</translation>
    </message>
</context>
<context>
    <name>lablink::LabLinkDialog</name>
    <message>
        <source>CA证书文件</source>
        <translation>CA file</translation>
    </message>
    <message>
        <source>证书 (*.pem *.crt);;所有文件 (*)</source>
        <translation>Certificates (*.pem *.crt);;All files (*)</translation>
    </message>
    <message>
        <source>正在连接……</source>
        <translation>Connecting…</translation>
    </message>
    <message>
        <source>连接成功</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>连接失败: %1</source>
        <translation>Connection failed: %1</translation>
    </message>
    <message>
        <source>设置未保存: %1</source>
        <translation>Settings not saved: %1</translation>
    </message>
</context>
<context>
    <name>app::ChartPage</name>
    <message>
        <source>导出数据(.csv)</source>
        <translation>Export data (.csv)</translation>
    </message>
    <message>
        <source>导出图片(.png)</source>
        <translation>Export image (.png)</translation>
    </message>
    <message>
        <source>曲线设置</source>
        <translation>Curve Settings</translation>
    </message>
    <message>
        <source>累计图显</source>
        <translation>All Display</translation>
    </message>
    <message>
        <source>滚动图显</source>
        <translation>Scroll display</translation>
    </message>
    <message>
        <source>开发中...</source>
        <translation>Developing...</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Prompt information</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;red&apos;&gt;数据太少了吧，请记录至少十条数据。&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;red&apos;&gt;There is too little data, please record at least ten pieces of data.&lt;/font&gt;</translation>
    </message>
    <message>
        <source>Excel file</source>
        <translation>Excel file</translation>
    </message>
    <message>
        <source>Files (*.csv)</source>
        <translation>Files (*.csv)</translation>
    </message>
</context>
<context>
    <name>app::LabLinkWiring</name>
    <message>
        <source>实验室联网: %1</source>
        <translation>Lab link: %1</translation>
    </message>
</context>
<context>
    <name>app::StartHints</name>
    <message>
        <source>请使用数据线将设备的HID口与电脑相连接！</source>
        <translation>Please connect the HID to the computer!</translation>
    </message>
    <message>
        <source>已找到设备，正在扫描总线上的仪表……</source>
        <translation>Device found, scanning its bus for instruments…</translation>
    </message>
    <message>
        <source>已找到设备，但总线上没有仪表应答。请检查仪表后点击搜索按钮重试。</source>
        <translation>Device found, but no instrument on its bus answered. Check the instrument, then click the search button to try again.</translation>
    </message>
    <message>
        <source>已找到设备，但无法识别其型号。</source>
        <translation>Device found, but its model is not one this program knows.</translation>
    </message>
</context>
<context>
    <name>app::TitleMenu</name>
    <message>
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>打开记录的数据...</source>
        <translation>Open recorded runs...</translation>
    </message>
    <message>
        <source>实验室联网…</source>
        <translation>Lab link…</translation>
    </message>
</context>
<context>
    <name>ui::DisplayPage</name>
    <message>
        <source>返回主页</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>恒电流模式</source>
        <translation>Constant Current</translation>
    </message>
    <message>
        <source>1 | HK07 000</source>
        <translation>1 | HK07 000</translation>
    </message>
    <message>
        <source>仪表设置</source>
        <translation>SysSet</translation>
    </message>
    <message>
        <source>仪表设置快捷键</source>
        <translation>Device settings shortcut keys</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>系统升级快捷键</source>
        <translation>System upgrade shortcut key</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Main</translation>
    </message>
    <message>
        <source>固件升级</source>
        <comment>caption under the upgrade shortcut</comment>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>电压:</source>
        <translation>Volt:</translation>
    </message>
    <message>
        <source>电压 (V)</source>
        <translation>Voltage (V)</translation>
    </message>
    <message>
        <source>V</source>
        <translation>V</translation>
    </message>
    <message>
        <source>电流:</source>
        <translation>Curr:</translation>
    </message>
    <message>
        <source>电流 (A)</source>
        <translation>Current (A)</translation>
    </message>
    <message>
        <source>A</source>
        <translation>A</translation>
    </message>
    <message>
        <source>功率:</source>
        <translation>Powe:</translation>
    </message>
    <message>
        <source>功率 (W)</source>
        <translation>Power (W)</translation>
    </message>
    <message>
        <source>W</source>
        <translation>W</translation>
    </message>
    <message>
        <source>电阻:</source>
        <translation>Res:</translation>
    </message>
    <message>
        <source>电阻 (Ω)</source>
        <translation>Resistance (Ω)</translation>
    </message>
    <message>
        <source>Ω</source>
        <translation>Ω</translation>
    </message>
    <message>
        <source>电量:</source>
        <translation>Ele:</translation>
    </message>
    <message>
        <source>电量 (Wh)</source>
        <translation>Energy (Wh)</translation>
    </message>
    <message>
        <source>wh</source>
        <translation>wh</translation>
    </message>
    <message>
        <source>容量:</source>
        <translation>Cap:</translation>
    </message>
    <message>
        <source>容量 (mAh)</source>
        <translation>Capacity (mAh)</translation>
    </message>
    <message>
        <source>mAh</source>
        <translation>mAh</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>CPU:</source>
        <translation>CPU:</translation>
    </message>
    <message>
        <source>CPU温度 (℃)</source>
        <translation>CPU temperature (℃)</translation>
    </message>
    <message>
        <source>000.0</source>
        <translation>000.0</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>NTC:</source>
        <translation>NTC:</translation>
    </message>
    <message>
        <source>探头温度 (℃)</source>
        <translation>Probe temperature (℃)</translation>
    </message>
    <message>
        <source>放电管温度:</source>
        <translation>      MOS.T:</translation>
    </message>
    <message>
        <source>放电管温度 (℃)</source>
        <translation>MOS temperature (℃)</translation>
    </message>
    <message>
        <source>风扇转速:</source>
        <translation>      Fan.S:</translation>
    </message>
    <message>
        <source>风扇转速 (转/分)</source>
        <translation>Fan speed (RPM)</translation>
    </message>
    <message>
        <source>0000</source>
        <translation>0000</translation>
    </message>
    <message>
        <source>转/分</source>
        <translation>RPM</translation>
    </message>
    <message>
        <source>菜单</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>开始放电</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>开始放电/停止放电</source>
        <translation>OFF/ON</translation>
    </message>
    <message>
        <source>Simple Real-Time Chart</source>
        <translation>Simple Real-Time Chart</translation>
    </message>
    <message>
        <source>单击修改标题</source>
        <translation>Click to modify the Title</translation>
    </message>
    <message>
        <source>MOS_T</source>
        <translation>MOS_T</translation>
    </message>
    <message>
        <source>CPU温度曲线</source>
        <translation>CPU temperature curve</translation>
    </message>
    <message>
        <source>ELE/CAP</source>
        <translation>ELE/CAP</translation>
    </message>
    <message>
        <source>DP/DM曲线</source>
        <translation>DP/DM Curve</translation>
    </message>
    <message>
        <source>CPU/NTC</source>
        <translation>CPU/NTC</translation>
    </message>
    <message>
        <source>CC1/CC2曲线</source>
        <translation>CC1/CC2 Curve</translation>
    </message>
    <message>
        <source>自定义曲线范围</source>
        <translation>Custom Scope</translation>
    </message>
    <message>
        <source>测量小数值时让曲线更明显</source>
        <translation>Make the curve more pronounced when measuring small values</translation>
    </message>
    <message>
        <source>Is:</source>
        <translation>Is:</translation>
    </message>
    <message>
        <source>00.0000</source>
        <translation>00.0000</translation>
    </message>
    <message>
        <source>单击可设置</source>
        <translation>Click to set</translation>
    </message>
    <message>
        <source>电池放完电压:</source>
        <translation>Cut_Off Volt:</translation>
    </message>
    <message>
        <source>限时放电时间:</source>
        <translation>DischargeTime:</translation>
    </message>
    <message>
        <source>限时放电小时</source>
        <translation>Discharge time hours</translation>
    </message>
    <message>
        <source>00</source>
        <translation>00</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source>限时放电分钟</source>
        <translation>Discharge time minutes</translation>
    </message>
    <message>
        <source>电池充满电压:</source>
        <translation>Full.U:</translation>
    </message>
    <message>
        <source>电池充满电流:</source>
        <translation>Full.I:</translation>
    </message>
    <message>
        <source>&lt;</source>
        <translation>&lt;</translation>
    </message>
    <message>
        <source>00.00</source>
        <translation>00.00</translation>
    </message>
</context>
<context>
    <name>lablink::LinkTexts</name>
    <message>
        <source>找不到代理服务器的主机名</source>
        <translation>broker host name not found</translation>
    </message>
    <message>
        <source>连接被拒绝</source>
        <translation>connection refused</translation>
    </message>
    <message>
        <source>代理服务器没有应答</source>
        <translation>no answer from the broker</translation>
    </message>
    <message>
        <source>未设置代理服务器主机</source>
        <translation>no broker host set</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>TLS 失败</source>
        <translation>TLS failure</translation>
    </message>
    <message>
        <source>TLS 失败: %1</source>
        <translation>TLS failure: %1</translation>
    </message>
    <message>
        <source>连接中断: %1</source>
        <translation>connection lost: %1</translation>
    </message>
    <message>
        <source>无法读取 CA 文件: %1</source>
        <translation>CA file cannot be read: %1</translation>
    </message>
    <message>
        <source>代理服务器拒绝: %1</source>
        <translation>the broker refused: %1</translation>
    </message>
    <message>
        <source>协议版本不被接受</source>
        <translation>unacceptable protocol version</translation>
    </message>
    <message>
        <source>客户端标识被拒绝</source>
        <translation>identifier rejected</translation>
    </message>
    <message>
        <source>代理服务器不可用</source>
        <translation>broker unavailable</translation>
    </message>
    <message>
        <source>用户名或密码错误</source>
        <translation>bad user name or password</translation>
    </message>
    <message>
        <source>未授权</source>
        <translation>not authorised</translation>
    </message>
    <message>
        <source>原因不明</source>
        <translation>unknown reason</translation>
    </message>
    <message>
        <source>正在连接 %1</source>
        <translation>connecting to %1</translation>
    </message>
    <message>
        <source>已连接 %1</source>
        <translation>connected to %1</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>%1: %2; %3 秒后重试</source>
        <translation>%1: %2; retrying in %3 s</translation>
    </message>
</context>
<context>
    <name>ui::TestPlanPage</name>
    <message>
        <source>返回主页</source>
        <translation>Return</translation>
    </message>
    <message>
        <source>测试计划</source>
        <translation>Test Plan</translation>
    </message>
    <message>
        <source>计划</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>打开…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>从文件打开测试计划</source>
        <translation>Open a test plan from a file</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>把测试计划保存为文本文件</source>
        <translation>Save the test plan as a text file</translation>
    </message>
    <message>
        <source>未保存的计划</source>
        <translation>Unsaved plan</translation>
    </message>
    <message>
        <source>计划文本</source>
        <translation>Plan text</translation>
    </message>
    <message>
        <source>每行一个步骤，例如：
Stop when voltage below 2.8 V
Discharge at 0.5 A for 10 seconds
Rest for 1 minute
Discharge at 1 A until 3.0 V</source>
        <translation>One step per line, for example:
Stop when voltage below 2.8 V
Discharge at 0.5 A for 10 seconds
Rest for 1 minute
Discharge at 1 A until 3.0 V</translation>
    </message>
    <message>
        <source>步骤与结果</source>
        <translation>Steps and results</translation>
    </message>
    <message>
        <source>当前读数</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>检查计划并开始运行</source>
        <translation>Check the plan and start it</translation>
    </message>
    <message>
        <source>跳过本步</source>
        <translation>Skip step</translation>
    </message>
    <message>
        <source>结束当前步骤，开始下一步</source>
        <translation>End this step and begin the next</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>关闭负载，结束计划并保存结果</source>
        <translation>Switch the load off, end the plan and save its results</translation>
    </message>
    <message>
        <source>计划完成：全部步骤已运行</source>
        <translation>Plan completed: every step ran</translation>
    </message>
    <message>
        <source>计划结束：达到停止条件</source>
        <translation>Plan ended: a stop condition held</translation>
    </message>
    <message>
        <source>计划已停止</source>
        <translation>Plan stopped</translation>
    </message>
    <message>
        <source>计划中断</source>
        <translation>Plan interrupted</translation>
    </message>
    <message>
        <source>当前步骤</source>
        <translation>Current step</translation>
    </message>
    <message>
        <source>本步用时</source>
        <translation>Time in step</translation>
    </message>
    <message>
        <source>步骤</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>用时</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>结束原因</source>
        <translation>Ended by</translation>
    </message>
    <message>
        <source>内阻</source>
        <translation>Resistance</translation>
    </message>
    <message>
        <source>计划有误：%1</source>
        <translation>The plan has a fault: %1</translation>
    </message>
    <message>
        <source>共 %1 步</source>
        <translation>%1 steps</translation>
    </message>
    <message>
        <source>共 %1 步，另有 %2 个全程停止条件</source>
        <translation>%1 steps, and %2 stop conditions for the whole plan</translation>
    </message>
    <message>
        <source>打开测试计划</source>
        <translation>Open test plan</translation>
    </message>
    <message>
        <source>测试计划 (*.txt *.plan);;所有文件 (*)</source>
        <translation>Test plans (*.txt *.plan);;All files (*)</translation>
    </message>
    <message>
        <source>%1 太大，不是测试计划。</source>
        <translation>%1 is too large to be a test plan.</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source>保存测试计划</source>
        <translation>Save test plan</translation>
    </message>
    <message>
        <source>无法保存 %1：%2</source>
        <translation>Cannot save %1: %2</translation>
    </message>
    <message>
        <source>已保存到 %1</source>
        <translation>Saved to %1</translation>
    </message>
    <message>
        <source>请先打开或写一个测试计划。</source>
        <translation>Open or write a test plan first.</translation>
    </message>
    <message>
        <source>无法开始：%1</source>
        <translation>Cannot start: %1</translation>
    </message>
    <message>
        <source>结果文件未能写入。</source>
        <translation>The results file could not be written.</translation>
    </message>
    <message>
        <source>结果文件：%1</source>
        <translation>Results file: %1</translation>
    </message>
</context>
</TS>
