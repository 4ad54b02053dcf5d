<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
    <context>
        <name>Captions</name>
        <message>
            <source>Acknowledge</source>
            <translation>确认</translation>
        </message>
        <message>
            <source>and %1 earlier alarms</source>
            <translation>及更早的 %1 个警报</translation>
        </message>
        <message>
            <source>channel %1: </source>
            <translation>通道 %1：</translation>
        </message>
        <message>
            <source>Alarm</source>
            <translation>警报</translation>
        </message>
        <message>
            <source>Time</source>
            <translation>时间</translation>
        </message>
        <message>
            <source>Kind</source>
            <translation>种类</translation>
        </message>
        <message>
            <source>No alarms</source>
            <translation>无报警</translation>
        </message>
        <message>
            <source>Graph</source>
            <translation>图表</translation>
        </message>
        <message>
            <source>Real-time data</source>
            <translation>实时数据</translation>
        </message>
        <message>
            <source>Cellwatch         </source>
            <translation>Dorire 充电监控      </translation>
        </message>
        <message>
            <source>The language has been set into English</source>
            <translation>已将语言设置为中文</translation>
        </message>
        <message>
            <source>On line</source>
            <translation>已连接</translation>
        </message>
        <message>
            <source>Disconnected</source>
            <translation>已断开</translation>
        </message>
        <message>
            <source>The link to the charger was lost</source>
            <translation>与充电器的连接已中断</translation>
        </message>
        <message>
            <source>waiting for the same adapter to come back</source>
            <translation>等待同一适配器重新连接</translation>
        </message>
        <message>
            <source>Reconnected to</source>
            <translation>已重新连接到</translation>
        </message>
        <message>
            <source>Opened</source>
            <translation>已打开</translation>
        </message>
        <message>
            <source>The capture has been played to its end</source>
            <translation>回放结束</translation>
        </message>
        <message>
            <source>The recording's journal stopped</source>
            <translation>记录文件已停止写入</translation>
        </message>
        <message>
            <source>The recording's journal caught up with every row</source>
            <translation>记录文件已恢复写入，缺失的行已补齐</translation>
        </message>
        <message>
            <source>The recording's journal was deleted; written again with every row so far</source>
            <translation>记录文件已被删除，已用目前所有的行重新写入</translation>
        </message>
        <message>
            <source>Exported %1 rows to %2</source>
            <translation>已导出 %1 行到 %2</translation>
        </message>
        <message>
            <source>Exported %1 row to %2</source>
            <translation>已导出 %1 行到 %2</translation>
        </message>
        <message>
            <source>Saved the chart to %1</source>
            <translation>已将图表保存到 %1</translation>
        </message>
        <message>
            <source>Copied the chart</source>
            <translation>已复制图表</translation>
        </message>
        <message>
            <source>Printed the chart</source>
            <translation>已打印图表</translation>
        </message>
        <message>
            <source>1 damaged line skipped</source>
            <translation>跳过了 1 行损坏的数据</translation>
        </message>
        <message>
            <source>%1 damaged lines skipped</source>
            <translation>跳过了 %1 行损坏的数据</translation>
        </message>
        <message>
            <source>%1 values that are no measurement read as missing</source>
            <translation>%1 个不是测量值的数据（非数字、无穷或过大）按缺失处理</translation>
        </message>
        <message>
            <source>the file was cut short while it was read; only what was whole was opened</source>
            <translation>文件在读取时被截短，只打开了完整的部分</translation>
        </message>
        <message>
            <source>Summary</source>
            <translation>摘要</translation>
        </message>
        <message>
            <source>A new recording began; the previous one is kept in %1</source>
            <translation>新的记录已开始；上一个记录保存在 %1</translation>
        </message>
        <message>
            <source>A new recording began</source>
            <translation>新的记录已开始</translation>
        </message>
        <message>
            <source>Pack</source>
            <translation>电池组</translation>
        </message>
        <message>
            <source>Pack name:</source>
            <translation>电池组名称：</translation>
        </message>
        <message>
            <source>Note:</source>
            <translation>备注：</translation>
        </message>
        <message>
            <source>(no pack)</source>
            <translation>（无电池组）</translation>
        </message>
        <message>
            <source>The pack of the present and the following recordings (kept until changed).</source>
            <translation>当前及以后的记录所用的电池组（直到更改为止）。</translation>
        </message>
        <message>
            <source>The pack and a note for this recording.</source>
            <translation>此记录所用的电池组及备注。</translation>
        </message>
        <message>
            <source>Pack: %1</source>
            <translation>电池组：%1</translation>
        </message>
        <message>
            <source>Recordings no longer name a pack</source>
            <translation>不再记录电池组</translation>
        </message>
        <message>
            <source> — pack %1</source>
            <translation> — 电池组 %1</translation>
        </message>
        <message>
            <source>Change this recording's pack and note</source>
            <translation>更改此记录的电池组及备注</translation>
        </message>
        <message>
            <source>The pack could not be kept</source>
            <translation>无法保存电池组</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>确定</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
        <message>
            <source>Opening %1</source>
            <translation>正在打开 %1</translation>
        </message>
        <message>
            <source>Exporting %1</source>
            <translation>正在导出 %1</translation>
        </message>
        <message>
            <source>Yes</source>
            <translation>是</translation>
        </message>
        <message>
            <source>No</source>
            <translation>否</translation>
        </message>
        <message>
            <source>Chargers on the network…</source>
            <translation>网络上的充电器…</translation>
        </message>
        <message>
            <source>Publish on the network…</source>
            <translation>在网络上发布…</translation>
        </message>
        <message>
            <source>Publish on the network</source>
            <translation>在网络上发布</translation>
        </message>
        <message>
            <source>Publish this charger</source>
            <translation>发布此充电器</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>地址：</translation>
        </message>
        <message>
            <source>mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…</source>
            <translation>mqtt://[用户@]主机[:端口]/名称 或 mqtts://…</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>密码：</translation>
        </message>
        <message>
            <source>not kept; unused with a password file</source>
            <translation>不保存；有密码文件时不使用</translation>
        </message>
        <message>
            <source>Password file:</source>
            <translation>密码文件：</translation>
        </message>
        <message>
            <source>CA file (mqtts):</source>
            <translation>CA 证书文件（mqtts）：</translation>
        </message>
        <message>
            <source>empty: the system's authorities</source>
            <translation>空：系统的证书颁发机构</translation>
        </message>
        <message>
            <source>Key file:</source>
            <translation>密钥文件：</translation>
        </message>
        <message>
            <source>empty: unsigned</source>
            <translation>空：不签名</translation>
        </message>
        <message>
            <source>Home Assistant discovery</source>
            <translation>Home Assistant 自动发现</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>浏览…</translation>
        </message>
        <message>
            <source>Publishing on %1</source>
            <translation>正在发布到 %1</translation>
        </message>
        <message>
            <source>Publishing stopped (offline)</source>
            <translation>已停止发布（离线）</translation>
        </message>
        <message>
            <source>Publishing on %1 needs its password: View &gt; Publish on the network…</source>
            <translation>在 %1 上发布需要密码：请选择 查看 &gt; 在网络上发布…</translation>
        </message>
        <message>
            <source>Cannot publish: %1</source>
            <translation>无法发布：%1</translation>
        </message>
        <message>
            <source>Capture the line…</source>
            <translation>捕获线路数据…</translation>
        </message>
        <message>
            <source>Capture the line</source>
            <translation>捕获线路数据</translation>
        </message>
        <message>
            <source>Capture (*.cwcap)</source>
            <translation>捕获文件 (*.cwcap)</translation>
        </message>
        <message>
            <source>Capturing the line to %1</source>
            <translation>正在将线路数据捕获到 %1</translation>
        </message>
        <message>
            <source>Capturing the line to %1 from the next recording on</source>
            <translation>下一个记录开始时将线路数据捕获到 %1</translation>
        </message>
        <message>
            <source>The capture ended; it is kept in %1</source>
            <translation>捕获已结束，保存在 %1</translation>
        </message>
        <message>
            <source>The capture stopped: %1</source>
            <translation>捕获已停止：%1</translation>
        </message>
        <message>
            <source>Idle</source>
            <translation>待机</translation>
        </message>
        <message>
            <source>Charging</source>
            <translation>充电</translation>
        </message>
        <message>
            <source>Discharging</source>
            <translation>放电</translation>
        </message>
        <message>
            <source>Resting</source>
            <translation>静置</translation>
        </message>
        <message>
            <source>Balancing</source>
            <translation>平衡</translation>
        </message>
        <message>
            <source>Storage</source>
            <translation>储存</translation>
        </message>
        <message>
            <source>Done</source>
            <translation>完成</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>错误</translation>
        </message>
        <message>
            <source>Copied 1 row of the table</source>
            <translation>已将 1 行数据复制到剪贴板</translation>
        </message>
        <message>
            <source>Copied %1 rows of the table</source>
            <translation>已将 %1 行数据复制到剪贴板</translation>
        </message>
        <message>
            <source>Start %1</source>
            <translation>开始 %1</translation>
        </message>
        <message>
            <source>Start not recorded</source>
            <translation>开始时间未记录</translation>
        </message>
        <message>
            <source>Pack %1</source>
            <translation>电池组 %1</translation>
        </message>
        <message>
            <source>Battery %1, %2</source>
            <translation>电池 %1，%2</translation>
        </message>
        <message>
            <source>Capacity %1 mAh    %2 Wh    Duration %3</source>
            <translation>容量 %1 mAh    %2 Wh    时长 %3</translation>
        </message>
        <message>
            <source>charge</source>
            <translation>充电</translation>
        </message>
        <message>
            <source>discharge</source>
            <translation>放电</translation>
        </message>
        <message>
            <source>mixed</source>
            <translation>充放电</translation>
        </message>
        <message>
            <source>No serial port found. To try the program without a charger: Help &gt; Try the emulator</source>
            <translation>未找到串口。没有充电器也可以试用：帮助 &gt; 试用模拟器</translation>
        </message>
        <message>
            <source>The emulator runs on %1</source>
            <translation>模拟器已在 %1 上启动</translation>
        </message>
        <message>
            <source>The emulator %1 is not there (beside the program or in /usr/bin)</source>
            <translation>找不到模拟器 %1（程序旁边或 /usr/bin 中）</translation>
        </message>
        <message>
            <source>The emulator could not start: %1</source>
            <translation>模拟器无法启动：%1</translation>
        </message>
        <message>
            <source>The emulator stopped</source>
            <translation>模拟器已停止</translation>
        </message>
        <message>
            <source>Export range…</source>
            <translation>导出区间…</translation>
        </message>
        <message>
            <source>Δt</source>
            <translation>Δt</translation>
        </message>
        <message>
            <source>ΔmAh</source>
            <translation>ΔmAh</translation>
        </message>
        <message>
            <source>Wh</source>
            <translation>Wh</translation>
        </message>
        <message>
            <source>Charged</source>
            <translation>充入</translation>
        </message>
        <message>
            <source>Discharged</source>
            <translation>放出</translation>
        </message>
        <message>
            <source>at A</source>
            <translation>A 处</translation>
        </message>
        <message>
            <source>at B</source>
            <translation>B 处</translation>
        </message>
        <message>
            <source>min</source>
            <translation>最小</translation>
        </message>
        <message>
            <source>max</source>
            <translation>最大</translation>
        </message>
        <message>
            <source>mean</source>
            <translation>平均</translation>
        </message>
        <message>
            <source>Voltage(V)</source>
            <translation>电压(V)</translation>
        </message>
        <message>
            <source>Current(A)</source>
            <translation>电流(A)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>外部溫度(℃)</translation>
        </message>
        <message>
            <source>Inner(℃)</source>
            <translation>內部溫度(℃)</translation>
        </message>
        <message>
            <source>Cell spread(V)</source>
            <translation>压差△V(V)</translation>
        </message>
        <message>
            <source>Exported the range's %1 rows to %2</source>
            <translation>已导出区间的 %1 行到 %2</translation>
        </message>
        <message>
            <source>Exported the range's %1 row to %2</source>
            <translation>已导出区间的 %1 行到 %2</translation>
        </message>
        <message>
            <source>There are no rows between the cursors</source>
            <translation>区间内没有数据</translation>
        </message>
        <message>
            <source>end</source>
            <translation>末</translation>
        </message>
        <message>
            <source>Cell %1</source>
            <translation>电芯 %1</translation>
        </message>
        <message>
            <source>Try the emulator</source>
            <translation>试用模拟器</translation>
        </message>
    </context>
    <context>
        <name>CellReadoutTitles</name>
        <message>
            <source>Average(V)</source>
            <translation>平均(V)</translation>
        </message>
        <message>
            <source>Maximum(V)</source>
            <translation>最高(V)</translation>
        </message>
        <message>
            <source>Minimum(V)</source>
            <translation>最低(V)</translation>
        </message>
        <message>
            <source>D.Peak(V)</source>
            <translation>压差△V(V)</translation>
        </message>
        <message>
            <source>Capacity(mAh)</source>
            <translation>容量(mAh)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>外部溫度℃</translation>
        </message>
    </context>
    <context>
        <name>ControlTooltips</name>
        <message>
            <source>Show / Hide voltage curve</source>
            <translation>显示/隐藏电压曲线</translation>
        </message>
        <message>
            <source>Show / Hide current curve</source>
            <translation>显示/隐藏电流曲线</translation>
        </message>
        <message>
            <source>Show / Hide capacity curve</source>
            <translation>显示/隐藏容量曲线</translation>
        </message>
        <message>
            <source>Show / hide the internal temperature curve</source>
            <translation>显示/隐藏内部温度曲线</translation>
        </message>
        <message>
            <source>Support the type of battery Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo etc</source>
            <translation>支持 Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo 类型电池</translation>
        </message>
        <message>
            <source>Charging + CHG + \ discharge -DSC-\ standby Idle 3 states</source>
            <translation>充电+CHG+ \放电-DSC- \待机Idle 三种状态</translation>
        </message>
        <message>
            <source>Input voltage battery charger</source>
            <translation>充电器输入电压</translation>
        </message>
        <message>
            <source>Over time</source>
            <translation>已过时间</translation>
        </message>
        <message>
            <source>Current battery voltage</source>
            <translation>当前电池电压</translation>
        </message>
        <message>
            <source>current charge / discharge current</source>
            <translation>当前充/放电电流</translation>
        </message>
        <message>
            <source>Output power of charger</source>
            <translation>充电器输出功率</translation>
        </message>
        <message>
            <source>The charge / discharge capacity</source>
            <translation>本次充/放电容量</translation>
        </message>
        <message>
            <source>Charger internal temperature</source>
            <translation>充电器内部温度</translation>
        </message>
        <message>
            <source>External temperature</source>
            <translation>外部溫度</translation>
        </message>
    </context>
    <context>
        <name>MainWindow</name>
        <message>
            <source>the device was removed</source>
            <translation>设备已移除</translation>
        </message>
        <message>
            <source>the device stopped working</source>
            <translation>设备停止工作</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>打开</translation>
        </message>
        <message>
            <source>Recordings (*.csv)</source>
            <translation>记录 (*.csv)</translation>
        </message>
        <message>
            <source>All files (*)</source>
            <translation>所有文件 (*)</translation>
        </message>
    </context>
    <context>
        <name>Menu</name>
        <message>
            <source>File</source>
            <translation>文件</translation>
        </message>
        <message>
            <source>View</source>
            <translation>图表</translation>
        </message>
        <message>
            <source>Help</source>
            <translation>帮助</translation>
        </message>
        <message>
            <source>Open…</source>
            <translation>打开…</translation>
        </message>
        <message>
            <source>Recordings…</source>
            <translation>记录…</translation>
        </message>
        <message>
            <source>Export</source>
            <translation>导出</translation>
        </message>
        <message>
            <source>Print</source>
            <translation>打印</translation>
        </message>
        <message>
            <source>Language</source>
            <translation>中文</translation>
        </message>
        <message>
            <source>Exit</source>
            <translation>退出</translation>
        </message>
        <message>
            <source>Graph save as.</source>
            <translation>图形另存</translation>
        </message>
        <message>
            <source>Copy</source>
            <translation>复制图形</translation>
        </message>
        <message>
            <source>Reconnect to the same adapter</source>
            <translation>自动重连</translation>
        </message>
        <message>
            <source>Summary…</source>
            <translation>摘要…</translation>
        </message>
        <message>
            <source>Zoom and pan</source>
            <translation>缩放与平移</translation>
        </message>
        <message>
            <source>Cell curves</source>
            <translation>电芯曲线</translation>
        </message>
        <message>
            <source>Range cursors</source>
            <translation>区间光标</translation>
        </message>
        <message>
            <source>Export range…</source>
            <translation>导出区间…</translation>
        </message>
        <message>
            <source>Pack…</source>
            <translation>电池组…</translation>
        </message>
        <message>
            <source>The pack and a note for the present and following recordings</source>
            <translation>当前及以后的记录所用的电池组及备注</translation>
        </message>
        <message>
            <source>Guid</source>
            <translation>手冊</translation>
        </message>
        <message>
            <source>About</source>
            <translation>关于</translation>
        </message>
        <message>
            <source>English</source>
            <translation>English</translation>
        </message>
        <message>
            <source>中文</source>
            <translation>中文</translation>
        </message>
        <message>
            <source>Deutsch</source>
            <translation>Deutsch</translation>
        </message>
        <message>
            <source>Capture the line…</source>
            <translation>捕获线路数据…</translation>
        </message>
        <message>
            <source>Save</source>
            <translation>保存</translation>
        </message>
        <message>
            <source>Sound</source>
            <translation>声音</translation>
        </message>
        <message>
            <source>Alarms…</source>
            <translation>警报设置…</translation>
        </message>
        <message>
            <source>All channels</source>
            <translation>全部通道</translation>
        </message>
        <message>
            <source>Chargers on the network…</source>
            <translation>网络上的充电器…</translation>
        </message>
        <message>
            <source>Watch a charger…</source>
            <translation>查看充电器…</translation>
        </message>
        <message>
            <source>Publish on the network…</source>
            <translation>在网络上发布…</translation>
        </message>
        <message>
            <source>Share on the local network…</source>
            <translation>在局域网上共享…</translation>
        </message>
        <message>
            <source>Save and print on white paper</source>
            <translation>保存和打印时使用白色背景</translation>
        </message>
        <message>
            <source>Try the emulator</source>
            <translation>试用模拟器</translation>
        </message>
        <message>
            <source>Alarms</source>
            <translation>警报</translation>
        </message>
    </context>
    <context>
        <name>ReadoutTitles</name>
        <message>
            <source>Voltage(V)</source>
            <translation>电压(V)</translation>
        </message>
        <message>
            <source>Current(A)</source>
            <translation>电流(A)</translation>
        </message>
        <message>
            <source>Capacity(mAh)</source>
            <translation>容量(mAh)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>外部溫度(℃)</translation>
        </message>
        <message>
            <source>In.Voltage(V)</source>
            <translation>输入电压(V)</translation>
        </message>
        <message>
            <source>Status</source>
            <translation>工作状态</translation>
        </message>
        <message>
            <source>Batt.Type</source>
            <translation>电池类型</translation>
        </message>
        <message>
            <source>Batt.Count</source>
            <translation>单元节数</translation>
        </message>
        <message>
            <source>Inner(℃)</source>
            <translation>內部溫度(℃)</translation>
        </message>
        <message>
            <source>Power(W)</source>
            <translation>功率(W)</translation>
        </message>
        <message>
            <source>Elapsed time</source>
            <translation>时间</translation>
        </message>
    </context>
    <context>
        <name>StatusBand</name>
        <message>
            <source>Connected.</source>
            <translation>已联机.</translation>
        </message>
        <message>
            <source>Capture data...</source>
            <translation>数据采集中...</translation>
        </message>
        <message>
            <source>Charger Model</source>
            <translation>充电器型号</translation>
        </message>
    </context>
    <context>
        <name>ToolBar</name>
        <message>
            <source>Connect</source>
            <translation>连接 </translation>
        </message>
        <message>
            <source>Through real or virtual serial port to connect to the charger Brontel</source>
            <translation>通过真实或虚拟串口连接到Charger充电器    </translation>
        </message>
        <message>
            <source>Serial Port</source>
            <translation>串行口</translation>
        </message>
        <message>
            <source>Please choose a port, such as the connection is USB, it is generally Com 3</source>
            <translation>请选择一个端口,如连接的是USB,则一般是Com 3</translation>
        </message>
        <message>
            <source>Charger</source>
            <translation>充电器</translation>
        </message>
        <message>
            <source>The kind of charger on this port (remembered for each port)</source>
            <translation>所接充电器的类型（按端口记住）</translation>
        </message>
        <message>
            <source>Disconnect</source>
            <translation>断 开</translation>
        </message>
        <message>
            <source>Disconnected communication</source>
            <translation>断开通讯口</translation>
        </message>
        <message>
            <source>Export</source>
            <translation>导出</translation>
        </message>
        <message>
            <source>CrossLine</source>
            <translation>十字线</translation>
        </message>
        <message>
            <source>Show/Hide cross line</source>
            <translation>显示/关闭十字线</translation>
        </message>
        <message>
            <source>Refresh</source>
            <translation>刷新</translation>
        </message>
        <message>
            <source>Refresh serial port or graph </source>
            <translation>可以用来刷新串口或图表 </translation>
        </message>
        <message>
            <source>Print</source>
            <translation>打印</translation>
        </message>
        <message>
            <source>Language</source>
            <translation>语言</translation>
        </message>
        <message>
            <source>Please select a language on the right</source>
            <translation>请在右边选择一个语言</translation>
        </message>
        <message>
            <source>Show / Hide Cross Line</source>
            <translation>显示/关闭十字线</translation>
        </message>
    </context>
    <context>
        <name>Viewer</name>
        <message>
            <source>Cells Δ mV</source>
            <translation>电芯 Δ mV</translation>
        </message>
        <message>
            <source>Cell curves as the difference from the mean, in mV</source>
            <translation>电芯曲线显示与均值之差 (mV)</translation>
        </message>
    </context>
</TS>
