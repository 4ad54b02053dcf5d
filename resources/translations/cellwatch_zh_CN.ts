<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
    <context>
        <name>AboutBox</name>
        <message>
            <source>Software name:Cellwatch       </source>
            <translation>软件名称：Cellwatch</translation>
        </message>
        <message>
            <source>Version:%1</source>
            <translation>版本号 %1</translation>
        </message>
        <message>
            <source>Website:%1</source>
            <translation>网址：%1</translation>
        </message>
        <message>
            <source>Runtime Environment: Windows 9x/Windows 2000/Windows XP / Windows Vista</source>
            <translation>使用平台：Windows 9x/Windows 2000/Windows XP/Windows Vista</translation>
        </message>
        <message>
            <source>    This software applies to all of the RX series charger.Though the monitoring of the charge parameter and the real-time graph show，you can ungerstand the charger and  performance of battery completely.  </source>
            <translation>   本软件适用于所有RX系列充电器，通过对充电器参数的监控并配以图表直观显示，让您充分了解您的充电器与电池性能！</translation>
        </message>
        <message>
            <source>Copyright (C) 2026 the Cellwatch developers</source>
            <translation>版权所有 (C) 2026 Cellwatch 开发者</translation>
        </message>
    </context>
    <context>
        <name>AlarmText</name>
        <message>
            <source>External temperature %1 °C (limit %2 °C); internal temperature %3 °C (limit %4 °C)</source>
            <translation>外部温度 %1 °C（上限 %2 °C）；内部温度 %3 °C（上限 %4 °C）</translation>
        </message>
        <message>
            <source>External temperature %1 °C (limit %2 °C)</source>
            <translation>外部温度 %1 °C（上限 %2 °C）</translation>
        </message>
        <message>
            <source>Internal temperature %1 °C (limit %2 °C)</source>
            <translation>内部温度 %1 °C（上限 %2 °C）</translation>
        </message>
        <message>
            <source>Link lost during the discharge, last row at %1</source>
            <translation>放电中连接中断，最后一行在 %1</translation>
        </message>
        <message>
            <source>Link lost during the charge, last row at %1</source>
            <translation>充电中连接中断，最后一行在 %1</translation>
        </message>
        <message>
            <source>Link lost during the discharge, last row at %1: %2</source>
            <translation>放电中连接中断，最后一行在 %1：%2</translation>
        </message>
        <message>
            <source>Link lost during the charge, last row at %1: %2</source>
            <translation>充电中连接中断，最后一行在 %1：%2</translation>
        </message>
        <message>
            <source>Cell %1 at %2 V (limit %3 V)</source>
            <translation>电芯 %1 为 %2 V（上限 %3 V）</translation>
        </message>
        <message>
            <source>Cells %1 V apart: cell %2 at %3 V, cell %4 at %5 V (limit %6 V)</source>
            <translation>电芯压差 %1 V：电芯 %2 为 %3 V，电芯 %4 为 %5 V（上限 %6 V）</translation>
        </message>
        <message>
            <source>Input at %1 V (limit %2 V)</source>
            <translation>输入电压 %1 V（下限 %2 V）</translation>
        </message>
        <message>
            <source>The discharge finished after %1 (no charging or discharging for %2 s)</source>
            <translation>放电已结束，用时 %1（%2 秒无充放电）</translation>
        </message>
        <message>
            <source>The charge finished after %1 (no charging or discharging for %2 s)</source>
            <translation>充电已结束，用时 %1（%2 秒无充放电）</translation>
        </message>
        <message>
            <source>No new row for %1 s while the discharge was running (last row at %2)</source>
            <translation>放电进行中 %1 秒没有新数据（最后一行在 %2）</translation>
        </message>
        <message>
            <source>No new row for %1 s while the charge was running (last row at %2)</source>
            <translation>充电进行中 %1 秒没有新数据（最后一行在 %2）</translation>
        </message>
    </context>
    <context>
        <name>AlarmTextLowLimit</name>
        <message>
            <source>Cell %1 at %2 V (limit %3 V)</source>
            <translation>电芯 %1 为 %2 V（下限 %3 V）</translation>
        </message>
    </context>
    <context>
        <name>AnalysisText</name>
        <message>
            <source>%1; %2</source>
            <translation>%1；%2</translation>
        </message>
        <message>
            <source>%1, %2</source>
            <translation>%1、%2</translation>
        </message>
        <message>
            <source> (the counter restarted once)</source>
            <translation>（计数器重新开始了一次）</translation>
        </message>
        <message>
            <source> (the counter restarted %1 times)</source>
            <translation>（计数器重新开始了 %1 次）</translation>
        </message>
        <message>
            <source> (started part-way)</source>
            <translation>（中途开始）</translation>
        </message>
        <message>
            <source>last full discharge %1 mAh (%2 % of the first)</source>
            <translation>最近一次完整放电 %1 mAh（首次的 %2 %）</translation>
        </message>
        <message>
            <source>last full charge %1 mAh (%2 % of the first)</source>
            <translation>最近一次完整充电 %1 mAh（首次的 %2 %）</translation>
        </message>
        <message>
            <source>last full discharge %1 mAh (%2 % of nominal, %3 % of the first)</source>
            <translation>最近一次完整放电 %1 mAh（标称的 %2 %，首次的 %3 %）</translation>
        </message>
        <message>
            <source>last full charge %1 mAh (%2 % of nominal, %3 % of the first)</source>
            <translation>最近一次完整充电 %1 mAh（标称的 %2 %，首次的 %3 %）</translation>
        </message>
        <message>
            <source>cell %1: lowest at the end of %2 of the last %3 discharge, %4 mV under the mean</source>
            <translation>电芯 %1：最近 %3 次放电中有 %2 次结束时最低，比平均低 %4 mV</translation>
        </message>
        <message>
            <source>cell %1: lowest at the end of %2 of the last %3 discharges, %4 mV under the mean</source>
            <translation>电芯 %1：最近 %3 次放电中有 %2 次结束时最低，比平均低 %4 mV</translation>
        </message>
        <message>
            <source>cell %1: highest at the end of %2 of the last %3 charge, %4 mV over the mean</source>
            <translation>电芯 %1：最近 %3 次充电中有 %2 次结束时最高，比平均高 %4 mV</translation>
        </message>
        <message>
            <source>cell %1: highest at the end of %2 of the last %3 charges, %4 mV over the mean</source>
            <translation>电芯 %1：最近 %3 次充电中有 %2 次结束时最高，比平均高 %4 mV</translation>
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
            <source>rest</source>
            <translation>静置</translation>
        </message>
        <message>
            <source>uncertain (± %1 %)</source>
            <translation>不确定（± %1 %）</translation>
        </message>
        <message>
            <source>uncertain</source>
            <translation>不确定</translation>
        </message>
        <message>
            <source>%1 from %2 for %3, %4 mAh%5, %6 Wh, mean %7 A, largest %8 A</source>
            <translation>%1，自 %2 起，历时 %3，%4 mAh%5，%6 Wh，平均 %7 A，最大 %8 A</translation>
        </message>
        <message>
            <source>%1 % of the energy, %2 % of the capacity</source>
            <translation>能量的 %1 %，容量的 %2 %</translation>
        </message>
        <message>
            <source>uncertain (%1 steps, none within %2 %)</source>
            <translation>不确定（%1 次阶跃，无一在 %2 % 以内）</translation>
        </message>
        <message>
            <source>%1, from %2 step</source>
            <translation>%1（%2 次阶跃）</translation>
        </message>
        <message>
            <source>%1, the median of %2 steps</source>
            <translation>%1（%2 次阶跃的中位数）</translation>
        </message>
        <message>
            <source>%1; cells %2 mΩ</source>
            <translation>%1；电芯 %2 mΩ</translation>
        </message>
        <message>
            <source>pack %1 mΩ</source>
            <translation>电池组 %1 mΩ</translation>
        </message>
        <message>
            <source>cells %1 mΩ</source>
            <translation>电芯 %1 mΩ</translation>
        </message>
        <message>
            <source>%1 equivalent cycles</source>
            <translation>等效循环 %1 次</translation>
        </message>
        <message>
            <source>resistance %1 %</source>
            <translation>内阻变化 %1 %</translation>
        </message>
        <message>
            <source>no full charge or discharge yet</source>
            <translation>还没有完整的充电或放电</translation>
        </message>
        <message>
            <source>This recording has %1 cells; pack "%2" has %3</source>
            <translation>此记录有 %1 节电芯；电池组“%2”有 %3 节</translation>
        </message>
        <message>
            <source>cells %1 mΩ reported by the charger, %2 mΩ estimated</source>
            <translation>电芯 %1 mΩ（充电器测得），%2 mΩ（估算）</translation>
        </message>
    </context>
    <context>
        <name>BrokerFailure</name>
        <message>
            <source>the connection failed: %1</source>
            <extracomment>%1 the system's or the MQTT library's own words</extracomment>
            <translation>连接失败：%1</translation>
        </message>
        <message>
            <source>the connection failed</source>
            <translation>连接失败</translation>
        </message>
        <message>
            <source>nothing takes connections at the broker's port (is the broker running?)</source>
            <translation>服务器端口上没有程序接受连接（服务器是否在运行？）</translation>
        </message>
        <message>
            <source>cannot find the host: %1</source>
            <extracomment>%1 the name resolver's own words</extracomment>
            <translation>找不到主机：%1</translation>
        </message>
        <message>
            <source>no answer to the keep-alive</source>
            <translation>保活请求没有应答</translation>
        </message>
        <message>
            <source>timed out</source>
            <translation>超时</translation>
        </message>
        <message>
            <source>disconnected by the broker's administrator</source>
            <translation>已被服务器管理员断开</translation>
        </message>
        <message>
            <source>error %1 of the MQTT library</source>
            <translation>MQTT 库错误 %1</translation>
        </message>
        <message>
            <source>the broker refused the connection: it does not speak this version of MQTT</source>
            <translation>服务器拒绝连接：它不支持此 MQTT 版本</translation>
        </message>
        <message>
            <source>the broker refused the connection: it does not take this client's identifier</source>
            <translation>服务器拒绝连接：它不接受此客户端标识</translation>
        </message>
        <message>
            <source>the broker refused the connection: it is unavailable</source>
            <translation>服务器拒绝连接：服务不可用</translation>
        </message>
        <message>
            <source>the broker refused the connection: wrong user name or password</source>
            <translation>服务器拒绝连接：用户名或密码错误</translation>
        </message>
        <message>
            <source>the broker refused the connection: not authorised</source>
            <translation>服务器拒绝连接：未获授权</translation>
        </message>
        <message>
            <source>the broker refused the connection: %1</source>
            <extracomment>%1 the MQTT library's own words</extracomment>
            <translation>服务器拒绝连接：%1</translation>
        </message>
        <message>
            <source>no answer within %1 s</source>
            <translation>%1 秒内没有应答</translation>
        </message>
        <message>
            <source>the broker at %1 accepted the connection but did not answer within %2 s</source>
            <extracomment>%1 the broker ("127.0.0.1:1883"), %2 seconds</extracomment>
            <translation>%1 上的服务器接受了连接，但 %2 秒内没有应答</translation>
        </message>
        <message>
            <source>disconnected</source>
            <translation>已断开</translation>
        </message>
        <message>
            <source>the broker is not reading (%1 kB waiting)</source>
            <translation>服务器没有读取数据（%1 kB 等待中）</translation>
        </message>
        <message>
            <source>the broker stopped answering (nothing from it for %1 s; %2 kB wait for its acknowledgement)</source>
            <translation>服务器停止应答（%1 秒内没有任何消息；%2 kB 等待确认）</translation>
        </message>
        <message>
            <source>the broker stopped answering (nothing from it for %1 s)</source>
            <translation>服务器停止应答（%1 秒内没有任何消息）</translation>
        </message>
        <message>
            <source>the broker's certificate is signed by an unknown authority (not one trusted here)</source>
            <translation>服务器证书由未知的证书机构签发（不受本机信任）</translation>
        </message>
        <message>
            <source>the broker's certificate has expired</source>
            <translation>服务器证书已过期</translation>
        </message>
        <message>
            <source>the broker's certificate is not valid yet</source>
            <translation>服务器证书尚未生效</translation>
        </message>
        <message>
            <source>the broker's certificate is for another host name than %1</source>
            <translation>服务器证书属于其他主机名，而不是 %1</translation>
        </message>
        <message>
            <source>the broker's certificate was refused: %1</source>
            <extracomment>%1 the TLS library's own words</extracomment>
            <translation>服务器证书被拒绝：%1</translation>
        </message>
        <message>
            <source>TLS failed: %1</source>
            <extracomment>%1 the TLS library's own words</extracomment>
            <translation>TLS 失败：%1</translation>
        </message>
    </context>
    <context>
        <name>BrokerNotice</name>
        <message>
            <source>connected to the broker %1</source>
            <translation>已连接到服务器 %1</translation>
        </message>
        <message>
            <source>the broker %1 has acknowledged nothing for %2 s (%3 messages wait); what waits is bounded, the oldest raw records give way first</source>
            <translation>服务器 %1 已 %2 秒未确认任何消息（%3 条消息等待中）；等待的消息有上限，最旧的原始记录先被丢弃</translation>
        </message>
        <message>
            <source>lost the broker %1: %2; trying again in %3 s</source>
            <translation>与服务器 %1 的连接中断：%2；%3 秒后重试</translation>
        </message>
        <message>
            <source>cannot reach the broker %1: %2; trying again in %3 s</source>
            <translation>无法连接服务器 %1：%2；%3 秒后重试</translation>
        </message>
        <message>
            <source>the broker %1 is not taking messages (%2 wait for its acknowledgement); the oldest raw records give way</source>
            <translation>服务器 %1 不接收消息（%2 条等待确认）；最旧的原始记录被丢弃</translation>
        </message>
        <message>
            <source>the broker %1 takes messages again; %2 raw records and %3 rows or events were dropped meanwhile</source>
            <translation>服务器 %1 重新接收消息；其间丢弃了 %2 条原始记录和 %3 条数据行或事件</translation>
        </message>
        <message>
            <source>the broker %1 takes messages again; %2 raw records were dropped meanwhile</source>
            <translation>服务器 %1 重新接收消息；其间丢弃了 %2 条原始记录</translation>
        </message>
        <message>
            <source>dropped %1 message(s) from the broker %2 larger than %3 bytes (%4 in all)</source>
            <translation>丢弃了来自服务器 %2 的 %1 条大于 %3 字节的消息（共 %4 条）</translation>
        </message>
    </context>
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
            <source>A new recording began; the previous one is kept in %1</source>
            <translation>新的记录已开始；上一个记录保存在 %1</translation>
        </message>
        <message>
            <source>A new recording began</source>
            <translation>新的记录已开始</translation>
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
            <source>The pack could not be kept</source>
            <translation>无法保存电池组</translation>
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
        <name>ChannelPacks</name>
        <message>
            <source>Channel %1</source>
            <translation>通道 %1</translation>
        </message>
    </context>
    <context>
        <name>ChartAxes</name>
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
            <source>Temperature(℃)</source>
            <translation>外部溫度(℃)</translation>
        </message>
    </context>
    <context>
        <name>ChartTitles</name>
        <message>
            <source>Idle</source>
            <translation>空闲</translation>
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
        <name>ImportReason</name>
        <message>
            <source>%1 columns where a table row has %2</source>
            <translation>%1 列，而表格行应有 %2 列</translation>
        </message>
        <message>
            <source>the last row is cut short (no line end)</source>
            <translation>最后一行不完整（没有行尾）</translation>
        </message>
        <message>
            <source>no row of a recording (%1 columns, or a quote that never closes)</source>
            <translation>不是记录的行（%1 列，或引号未闭合）</translation>
        </message>
        <message>
            <source>"%1" is no date and time</source>
            <translation>“%1”不是日期和时间</translation>
        </message>
        <message>
            <source>"%1" is no elapsed time (H:mm:ss)</source>
            <translation>“%1”不是经过时间（H:mm:ss）</translation>
        </message>
        <message>
            <source>the elapsed time %1 comes before the row above's %2</source>
            <translation>经过时间 %1 早于上一行的 %2</translation>
        </message>
        <message>
            <source>"%1" is no number</source>
            <translation>“%1”不是数字</translation>
        </message>
        <message>
            <source>binary data, not text</source>
            <translation>二进制数据，不是文本</translation>
        </message>
        <message>
            <source>cannot write a scratch file: %1</source>
            <translation>无法写入临时文件：%1</translation>
        </message>
        <message>
            <source>the last row is cut short</source>
            <translation>最后一行不完整</translation>
        </message>
        <message>
            <source>no row of a recording</source>
            <translation>不是记录的行</translation>
        </message>
        <message>
            <source>cannot write in %1: %2</source>
            <translation>无法在 %1 中写入：%2</translation>
        </message>
        <message>
            <source>cannot name a recording %1 in %2</source>
            <translation>无法在 %2 中将记录命名为 %1</translation>
        </message>
        <message>
            <source>it is larger than %1 MiB</source>
            <translation>文件大于 %1 MiB</translation>
        </message>
        <message>
            <source>it is a spreadsheet workbook (binary), not a log: import the charger's own file, or a CSV table</source>
            <translation>这是电子表格工作簿（二进制），不是日志：请导入充电器自己的文件或 CSV 表格</translation>
        </message>
        <message>
            <source>the file is empty</source>
            <translation>文件是空的</translation>
        </message>
        <message>
            <source>it is no ToolkitRC log, no OpenFormat lines and no table of this program</source>
            <translation>它既不是 ToolkitRC 日志，也不是 OpenFormat 数据行，也不是本程序的表格</translation>
        </message>
        <message>
            <source>the file does not tell its date (the charger has no clock): give the date it was recorded on</source>
            <translation>文件没有记录日期（充电器没有时钟）：请给出记录的日期</translation>
        </message>
        <message>
            <source>there is no recordings folder to import into</source>
            <translation>没有可导入的记录文件夹</translation>
        </message>
        <message>
            <source>cannot write its pack file: %1</source>
            <translation>无法写入其电池组文件：%1</translation>
        </message>
        <message>
            <source>it cannot be read: %1</source>
            <translation>无法读取：%1</translation>
        </message>
        <message>
            <source>line %1, column %2: %3</source>
            <translation>第 %1 行，第 %2 列：%3</translation>
        </message>
        <message>
            <source>line %1: %2</source>
            <translation>第 %1 行：%2</translation>
        </message>
        <message>
            <source>ToolkitRC log</source>
            <translation>ToolkitRC 日志</translation>
        </message>
        <message>
            <source>OpenFormat lines</source>
            <translation>OpenFormat 数据行</translation>
        </message>
        <message>
            <source>table</source>
            <translation>表格</translation>
        </message>
        <message>
            <source>%1 (as %2)</source>
            <translation>%1（按%2读取）</translation>
        </message>
        <message>
            <source>the line does not fit the description of these lines (its channel or its items)</source>
            <translation>该行不符合这些数据行的描述（通道或数据项）</translation>
        </message>
        <message>
            <source>the log runs longer than 49 days</source>
            <translation>日志时长超过 49 天</translation>
        </message>
        <message>
            <source>more items than any charger sends</source>
            <translation>数据项比任何充电器发送的都多</translation>
        </message>
        <message>
            <source>%1 items: a line holds a channel, a state, a time, values and a checksum</source>
            <translation>%1 个数据项：一行应包含通道、状态、时间、数值和校验和</translation>
        </message>
        <message>
            <source>"%1" is no checksum</source>
            <translation>“%1”不是校验和</translation>
        </message>
        <message>
            <source>the checksum %1 does not match the line's %2</source>
            <translation>校验和 %1 与该行的 %2 不符</translation>
        </message>
        <message>
            <source>"%1" is no channel (1 to 8)</source>
            <translation>“%1”不是通道（1 至 8）</translation>
        </message>
        <message>
            <source>"%1" is no state number</source>
            <translation>“%1”不是状态编号</translation>
        </message>
        <message>
            <source>"%1" is no time in seconds</source>
            <translation>“%1”不是以秒计的时间</translation>
        </message>
        <message>
            <source>channel %1: only one channel of these lines is read</source>
            <translation>通道 %1：这些数据行只读取一个通道</translation>
        </message>
        <message>
            <source>the $C$ line names no column read as the battery's voltage</source>
            <translation>$C$ 行没有指定作为电池电压读取的列</translation>
        </message>
        <message>
            <source>$I$ needs a step in milliseconds</source>
            <translation>$I$ 需要以毫秒计的步长</translation>
        </message>
        <message>
            <source>"%1" is no start (ddMMyyyy_HHmmssfff)</source>
            <translation>“%1”不是开始时间（ddMMyyyy_HHmmssfff）</translation>
        </message>
        <message>
            <source>$T$ needs the time's item and its format</source>
            <translation>$T$ 需要时间数据项及其格式</translation>
        </message>
        <message>
            <source>a data line before any $C$ line names the columns</source>
            <translation>在 $C$ 行指定列之前出现了数据行</translation>
        </message>
        <message>
            <source>%1 items where the header says %2</source>
            <translation>%1 个数据项，而表头规定 %2 个</translation>
        </message>
        <message>
            <source>"%1" does not match the time format "%2"</source>
            <translation>“%1”不符合时间格式“%2”</translation>
        </message>
        <message>
            <source>"%1" is no date</source>
            <translation>“%1”不是日期</translation>
        </message>
        <message>
            <source>"%1" is no hex number</source>
            <translation>“%1”不是十六进制数</translation>
        </message>
        <message>
            <source>binary data (byte %1), not text</source>
            <translation>二进制数据（字节 %1），不是文本</translation>
        </message>
        <message>
            <source>an OpenFormat line begins with $</source>
            <translation>OpenFormat 数据行应以 $ 开头</translation>
        </message>
        <message>
            <source>the line is longer than %1 bytes</source>
            <translation>该行超过 %1 字节</translation>
        </message>
        <message>
            <source>the charger description of these lines (%1) is not installed</source>
            <translation>这些数据行的充电器描述（%1）未安装</translation>
        </message>
        <message>
            <source>it holds no data line</source>
            <translation>没有数据行</translation>
        </message>
        <message>
            <source>the ==Data== header begins with "%1", not the time</source>
            <translation>==Data== 表头以“%1”开头，而不是时间</translation>
        </message>
        <message>
            <source>the ==Data== header names no battery voltage</source>
            <translation>==Data== 表头没有电池电压</translation>
        </message>
        <message>
            <source>the row ends after %1 of its %2 columns</source>
            <translation>该行在 %2 列中的第 %1 列后结束</translation>
        </message>
        <message>
            <source>the row has more than the header's %1 columns</source>
            <translation>该行多于表头的 %1 列</translation>
        </message>
        <message>
            <source>"%1" is no time (h:m:s) and no row number</source>
            <translation>“%1”既不是时间（h:m:s）也不是行号</translation>
        </message>
        <message>
            <source>a second ==Data== section</source>
            <translation>第二个 ==Data== 段</translation>
        </message>
        <message>
            <source>unknown section %1: a ToolkitRC log has ==Items==, ==Data==, ==End== and ==Error==</source>
            <translation>未知的段 %1：ToolkitRC 日志包含 ==Items==、==Data==、==End== 和 ==Error==</translation>
        </message>
        <message>
            <source>text before the first section: a ToolkitRC log begins with ==Items== or ==Data==</source>
            <translation>第一个段之前有文本：ToolkitRC 日志以 ==Items== 或 ==Data== 开头</translation>
        </message>
        <message>
            <source>it has no ==Data== section: no ToolkitRC log</source>
            <translation>没有 ==Data== 段：不是 ToolkitRC 日志</translation>
        </message>
        <message>
            <source>the ==Data== section holds no row</source>
            <translation>==Data== 段中没有数据行</translation>
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
        <message>
            <source>Import…</source>
            <translation>导入…</translation>
        </message>
        <message>
            <source>Send to a database…</source>
            <translation>发送到数据库…</translation>
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
    <context>
        <name>ViewerStatus</name>
        <message>
            <source>Opened %1</source>
            <extracomment>%1 the file</extracomment>
            <translation>已打开 %1</translation>
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
    </context>
    <context>
        <name>WatchNotice</name>
        <message>
            <source>the charger went offline</source>
            <translation>充电器已离线</translation>
        </message>
        <message>
            <source>the charger's connection began anew</source>
            <translation>充电器已重新连接</translation>
        </message>
        <message>
            <source>the charger's line was lost at the publisher</source>
            <translation>发布端与充电器的连接已中断</translation>
        </message>
        <message>
            <source>the broker went away: %1</source>
            <comment>lost</comment>
            <translation>与服务器的连接已中断</translation>
        </message>
        <message>
            <source>the broker went away: %1</source>
            <comment>unreachable</comment>
            <translation>无法连接服务器</translation>
        </message>
        <message>
            <source>skipped a start message that is no capture header</source>
            <translation>跳过了一条不是记录文件头的开始消息</translation>
        </message>
        <message>
            <source>skipped a raw record of %1 bytes that is no capture record</source>
            <translation>跳过了一条 %1 字节、不是记录数据的原始记录</translation>
        </message>
        <message>
            <source>skipped a raw record whose time is no date</source>
            <translation>跳过了一条时间不是日期的原始记录</translation>
        </message>
        <message>
            <source>skipped a resume message that is none</source>
            <translation>跳过了一条无效的续传消息</translation>
        </message>
        <message>
            <source>the charger is there, but its messages are signed with another key than the one given</source>
            <translation>充电器在线，但其消息使用的签名密钥与所给的不同</translation>
        </message>
        <message>
            <source>the charger is there, but its messages are signed: give its key file to watch it</source>
            <translation>充电器在线，但其消息带有签名：请提供其密钥文件以便监视</translation>
        </message>
        <message>
            <source>the charger's newest signed messages were sent at %1, %2 min from this computer's clock: an earlier run, not taken as live; waiting for a live one</source>
            <extracomment>%1 when they were sent, %2 minutes</extracomment>
            <translation>充电器最新的签名消息发送于 %1，与本机时钟相差 %2 分钟：这是较早的运行，不作为实时数据；正在等待实时数据</translation>
        </message>
        <message>
            <source>an unknown time</source>
            <translation>未知时间</translation>
        </message>
        <message>
            <source>dropped %1 message(s) under %2 that are not signed with the charger's key or were published before (%3 in all)</source>
            <extracomment>%1 dropped since the last line, %2 the topics, %3 in all</extracomment>
            <translation>丢弃了 %2 下 %1 条未用充电器密钥签名或先前已发布的消息（共 %3 条）</translation>
        </message>
    </context>
    <context>
        <name>WorkProgress</name>
        <message>
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::AlarmSettingsDialog</name>
        <message>
            <source>Cell too high</source>
            <translation>单节电压过高</translation>
        </message>
        <message>
            <source>LiIo/Po/Fe</source>
            <translation>锂电</translation>
        </message>
        <message>
            <source>Pb</source>
            <translation>铅酸</translation>
        </message>
        <message>
            <source>Cell too low (discharging)</source>
            <translation>放电单节电压过低</translation>
        </message>
        <message>
            <source>Cells drift apart</source>
            <translation>单节压差过大</translation>
        </message>
        <message>
            <source>Spread</source>
            <translation>压差</translation>
        </message>
        <message>
            <source>Temperature too high</source>
            <translation>温度过高</translation>
        </message>
        <message>
            <source>External</source>
            <translation>外部</translation>
        </message>
        <message>
            <source>Internal</source>
            <translation>内部</translation>
        </message>
        <message>
            <source>Input too low</source>
            <translation>输入电压过低</translation>
        </message>
        <message>
            <source>Input</source>
            <translation>输入</translation>
        </message>
        <message>
            <source>Charge finished</source>
            <translation>充放电结束</translation>
        </message>
        <message>
            <source>Idle seconds</source>
            <translation>空闲秒数</translation>
        </message>
        <message>
            <source>Charger stalled</source>
            <translation>充电器无响应</translation>
        </message>
        <message>
            <source>Seconds without a row</source>
            <translation>无新数据秒数</translation>
        </message>
        <message>
            <source>Link lost</source>
            <translation>连接中断</translation>
        </message>
        <message>
            <source>Once raised, an alarm is raised again only after its value has gone back past the limit by %1 (cells, spread), %2 (input) or %3 (temperature) and stayed there for %4 s.</source>
            <extracomment>%1 the cells' margin ("0.05 V"), %2 the input's, %3 the temperature's, %4 seconds</extracomment>
            <translation>警报触发后，须待数值回到限值以内超过 %1（单节电压、压差）、%2（输入电压）或 %3（温度）并保持 %4 秒，才会再次触发。</translation>
        </message>
        <message>
            <source>Alarms</source>
            <translation>警报</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>确定</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::CellPane</name>
        <message>
            <source>Cell - mean(mV)</source>
            <translation>电芯-均值(mV)</translation>
        </message>
        <message>
            <source>Cells(V)</source>
            <translation>电芯(V)</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ChannelCard</name>
        <message>
            <source>Channel %1: click to show it on the chart</source>
            <translation>通道 %1：点击在图表上显示</translation>
        </message>
        <message>
            <source>ALARM</source>
            <translation>报警</translation>
        </message>
        <message>
            <source>Worst: —</source>
            <translation>最差：—</translation>
        </message>
        <message>
            <source>Worst %1: %2 V</source>
            <translation>最差 %1：%2 V</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::DatabaseDialog</name>
        <message>
            <source>Send to a database</source>
            <translation>发送到数据库</translation>
        </message>
        <message>
            <source>Send every row and alarm to the database</source>
            <translation>将每一行数据和每个警报发送到数据库</translation>
        </message>
        <message>
            <source>A token, or USER:PASSWORD, on its first line</source>
            <translation>第一行为令牌，或 用户名:密码</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>浏览…</translation>
        </message>
        <message>
            <source>Write address:</source>
            <translation>写入地址：</translation>
        </message>
        <message>
            <source>Sign-in file:</source>
            <translation>登录文件：</translation>
        </message>
        <message>
            <source>This is no database write address: give one of the forms above (a sign-in goes in the file, never in the address).</source>
            <translation>这不是数据库写入地址：请使用上面的格式之一（登录信息写在文件中，不能写在地址里）。</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::DatabaseSending</name>
        <message>
            <source>Send to a database…</source>
            <translation>发送到数据库…</translation>
        </message>
        <message>
            <source>Database: unreachable</source>
            <translation>数据库：无法连接</translation>
        </message>
        <message>
            <source>Database: rows refused</source>
            <translation>数据库：数据被拒绝</translation>
        </message>
        <message numerus="yes">
            <source>Database: %n rows dropped</source>
            <translation>
                <numerusform>数据库：已丢弃 %n 行</numerusform>
            </translation>
        </message>
        <message>
            <source>Rows go to %1; View &gt; Send to a database… changes or stops it</source>
            <translation>数据发送到 %1；在“视图 &gt; 发送到数据库…”中更改或停止</translation>
        </message>
        <message>
            <source>Rows are not sent: %1 is no database write address</source>
            <translation>未发送数据：%1 不是数据库写入地址</translation>
        </message>
        <message>
            <source>Rows are not sent: the sign-in file %1 cannot be read</source>
            <translation>未发送数据：无法读取登录文件 %1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::HelpPane</name>
        <message>
            <source>The help page ad.htm is missing beside the program.</source>
            <translation>程序旁边缺少帮助页面 ad.htm。</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ImportDialog</name>
        <message>
            <source>Import logs</source>
            <translation>导入日志</translation>
        </message>
        <message>
            <source>ToolkitRC SD-card logs, OpenFormat logs and tables of this program from another computer become recordings of the pack chosen below.</source>
            <translation>ToolkitRC SD 卡日志、OpenFormat 日志以及来自其他电脑的本程序表格将成为下方所选电池组的记录。</translation>
        </message>
        <message>
            <source>Choose files…</source>
            <translation>选择文件…</translation>
        </message>
        <message>
            <source>No file chosen</source>
            <translation>未选择文件</translation>
        </message>
        <message>
            <source>Files:</source>
            <translation>文件：</translation>
        </message>
        <message>
            <source>a known pack, or a new name</source>
            <translation>已有的电池组，或新名称</translation>
        </message>
        <message>
            <source>Pack:</source>
            <translation>电池组：</translation>
        </message>
        <message>
            <source>Logs that do not tell their date were recorded on</source>
            <translation>未注明日期的日志的记录日期</translation>
        </message>
        <message>
            <source>Date:</source>
            <translation>日期：</translation>
        </message>
        <message>
            <source>%v of %m files</source>
            <translation>%v / %m 个文件</translation>
        </message>
        <message>
            <source>Import</source>
            <translation>导入</translation>
        </message>
        <message>
            <source>Choose logs to import</source>
            <translation>选择要导入的日志</translation>
        </message>
        <message>
            <source>All logs that can be imported (*.xls *.XLS *.txt *.log *.csv *.CSV)</source>
            <translation>所有可导入的日志 (*.xls *.XLS *.txt *.log *.csv *.CSV)</translation>
        </message>
        <message>
            <source>ToolkitRC SD-card logs (*.xls *.XLS)</source>
            <translation>ToolkitRC SD 卡日志 (*.xls *.XLS)</translation>
        </message>
        <message>
            <source>OpenFormat logs (*.txt *.log)</source>
            <translation>OpenFormat 日志 (*.txt *.log)</translation>
        </message>
        <message>
            <source>Cellwatch tables and journals (*.csv *.CSV *.txt)</source>
            <translation>Cellwatch 表格与记录 (*.csv *.CSV *.txt)</translation>
        </message>
        <message>
            <source>All files (*)</source>
            <translation>所有文件 (*)</translation>
        </message>
        <message numerus="yes">
            <source>%n files</source>
            <translation>
                <numerusform>%n 个文件</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%1: imported as %2 (%n rows)</source>
            <translation>
                <numerusform>%1：已导入为 %2（%n 行）</numerusform>
            </translation>
        </message>
        <message>
            <source>%1: skipped, already imported as %2</source>
            <translation>%1：已跳过，之前已导入为 %2</translation>
        </message>
        <message>
            <source>%1: refused: %2</source>
            <translation>%1：被拒绝：%2</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::LineSharing</name>
        <message>
            <source>The capture stopped: %1</source>
            <translation>捕获已停止：%1</translation>
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
            <source>Publishing on %1</source>
            <translation>正在发布到 %1</translation>
        </message>
        <message>
            <source>Publishing stopped (offline)</source>
            <translation>已停止发布（离线）</translation>
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
            <source>the password file %1 can be read by others (mode %2); it should be private to you: chmod 600 %1</source>
            <extracomment>%1 the file, %2 its mode ("0644")</extracomment>
            <translation>密码文件 %1 可被他人读取（权限 %2）；它应只属于您：chmod 600 %1</translation>
        </message>
        <message>
            <source>the key file %1 can be read by others (mode %2); it should be private to you: chmod 600 %1</source>
            <extracomment>%1 the file, %2 its mode ("0644")</extracomment>
            <translation>密钥文件 %1 可被他人读取（权限 %2）；它应只属于您：chmod 600 %1</translation>
        </message>
        <message>
            <source>the password of %1 goes to the broker %2 unencrypted (mqtt://): anyone on the way can read it; use mqtts:// to protect it</source>
            <extracomment>%1 the user, %2 the broker ("example.org:1883")</extracomment>
            <translation>%1 的密码以未加密方式（mqtt://）发送到服务器 %2：途中任何人都能读取；请使用 mqtts:// 保护它</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::MainWindow</name>
        <message>
            <source>the device was removed</source>
            <translation>设备已被拔出</translation>
        </message>
        <message>
            <source>the device stopped working</source>
            <translation>设备已停止工作</translation>
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
        <message>
            <source>Cannot connect: %1</source>
            <extracomment>%1 why, in the system's or the link's own words (English)</extracomment>
            <translation>无法连接：%1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::NetworkListDialog</name>
        <message>
            <source>Chargers on the network</source>
            <translation>网络上的充电器</translation>
        </message>
        <message>
            <source>Charger</source>
            <translation>充电器</translation>
        </message>
        <message>
            <source>Status</source>
            <translation>连接状态</translation>
        </message>
        <message>
            <source>State</source>
            <translation>充电状态</translation>
        </message>
        <message>
            <source>Voltage (V)</source>
            <translation>电压 (V)</translation>
        </message>
        <message>
            <source>Current (A)</source>
            <translation>电流 (A)</translation>
        </message>
        <message>
            <source>Capacity (mAh)</source>
            <translation>容量 (mAh)</translation>
        </message>
        <message>
            <source>Worst cell (V)</source>
            <translation>最差电芯 (V)</translation>
        </message>
        <message>
            <source>Alarm</source>
            <translation>警报</translation>
        </message>
        <message>
            <source>Chargers on %1</source>
            <translation>%1 上的充电器</translation>
        </message>
        <message>
            <source>Connecting to %1…</source>
            <translation>正在连接 %1…</translation>
        </message>
        <message>
            <source> — %1 more not listed (the list shows %2)</source>
            <extracomment>%1 how many chargers, %2 the most the list shows</extracomment>
            <translation> — 另有 %1 个未列出（列表最多显示 %2 个）</translation>
        </message>
        <message>
            <source> — %1 implausible rows dropped</source>
            <translation> — 已丢弃 %1 行不合理的数据</translation>
        </message>
        <message>
            <source>Broker (mqtt://[USER@]HOST[:PORT] or mqtts://…):</source>
            <translation>服务器 (mqtt://[用户@]主机[:端口] 或 mqtts://…)：</translation>
        </message>
        <message>
            <source>Password of %1 on %2:</source>
            <translation>%2 上 %1 的密码：</translation>
        </message>
        <message>
            <source>Cannot list the chargers on the network: %1</source>
            <extracomment>%1 why, in the words of the part that failed</extracomment>
            <translation>无法列出网络上的充电器：%1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::NetworkWatch</name>
        <message>
            <source>no charger %1 on %2: waiting</source>
            <extracomment>%1 the charger's name, %2 the broker ("127.0.0.1:1883")</extracomment>
            <translation>服务器 %2 上没有充电器 %1：等待中</translation>
        </message>
        <message>
            <source>Waiting for %1</source>
            <translation>等待 %1</translation>
        </message>
        <message>
            <source>Watching %1</source>
            <translation>正在查看 %1</translation>
        </message>
        <message>
            <source>The link to the charger was lost (%1)</source>
            <extracomment>%1 why</extracomment>
            <translation>与充电器的连接已中断 (%1)</translation>
        </message>
        <message>
            <source>Password of %1 on %2:</source>
            <extracomment>%1 the user, %2 the broker</extracomment>
            <translation>%2 上 %1 的密码：</translation>
        </message>
        <message>
            <source>Cannot watch the charger: %1</source>
            <extracomment>%1 why, in the words of the part that failed</extracomment>
            <translation>无法监视充电器：%1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PackDialog</name>
        <message>
            <source>Pack</source>
            <translation>电池组</translation>
        </message>
        <message>
            <source>The pack and a note for this recording.</source>
            <translation>此记录所用的电池组及备注。</translation>
        </message>
        <message>
            <source>The pack of the present and the following recordings (kept until changed).</source>
            <translation>当前及以后的记录所用的电池组（直到更改为止）。</translation>
        </message>
        <message>
            <source>(no pack)</source>
            <translation>（无电池组）</translation>
        </message>
        <message>
            <source>(not known)</source>
            <translation>（未知）</translation>
        </message>
        <message>
            <source>not known</source>
            <translation>未知</translation>
        </message>
        <message>
            <source>Leave this recording out of the pack's history</source>
            <translation>不计入此电池组的历史</translation>
        </message>
        <message>
            <source>Leave the present recording out of the pack's history</source>
            <translation>当前记录不计入此电池组的历史</translation>
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
            <source>Chemistry:</source>
            <translation>化学类型：</translation>
        </message>
        <message>
            <source>Cells:</source>
            <translation>电芯数：</translation>
        </message>
        <message>
            <source>Nominal capacity:</source>
            <translation>标称容量：</translation>
        </message>
        <message>
            <source>Cell high alarm (V):</source>
            <translation>电芯过压警报 (V)：</translation>
        </message>
        <message>
            <source>Cell low alarm (V):</source>
            <translation>电芯欠压警报 (V)：</translation>
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
            <source>%1 (the %2 default)</source>
            <extracomment>%1 the chemistry's limit in volts, %2 the chemistry ("LiPo")</extracomment>
            <translation>%1（%2 默认）</translation>
        </message>
        <message>
            <source>(as in the alarm settings)</source>
            <translation>（警报设置中的值）</translation>
        </message>
        <message>
            <source>Cell high</source>
            <translation>电芯过压</translation>
        </message>
        <message>
            <source>Cell low</source>
            <translation>电芯欠压</translation>
        </message>
        <message>
            <source>%1 is no number: give 0.5 to 5 V, or leave it empty</source>
            <extracomment>%1 the limit's name ("Cell high")</extracomment>
            <translation>%1不是数字：请输入 0.5 到 5 V 之间的值，或留空</translation>
        </message>
        <message>
            <source>%1 must be from 0.5 to 5 V (empty: the chemistry's)</source>
            <translation>%1 必须在 0.5 到 5 V 之间（留空则用化学类型的值）</translation>
        </message>
        <message>
            <source>Cell low (%1 V) must be below cell high (%2 V)</source>
            <translation>电芯欠压（%1 V）必须低于电芯过压（%2 V）</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PackHealthView</name>
        <message>
            <source>Reading…</source>
            <translation>正在读取电池组的健康状况…</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PackHistoryChart</name>
        <message>
            <source>Charge capacity (mAh)</source>
            <translation>充电容量 (mAh)</translation>
        </message>
        <message>
            <source>Charge energy (Wh)</source>
            <translation>充电能量 (Wh)</translation>
        </message>
        <message>
            <source>Discharge capacity (mAh)</source>
            <translation>放电容量 (mAh)</translation>
        </message>
        <message>
            <source>Discharge energy (Wh)</source>
            <translation>放电能量 (Wh)</translation>
        </message>
        <message>
            <source>Largest spread (V)</source>
            <translation>最大压差 (V)</translation>
        </message>
        <message>
            <source>Date</source>
            <translation>日期</translation>
        </message>
        <message>
            <source>Spread (V)</source>
            <translation>压差 (V)</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PageSharing</name>
        <message>
            <source>The live page cannot be served: %1</source>
            <extracomment>%1 why (from the server, in English)</extracomment>
            <translation>无法提供网页: %1</translation>
        </message>
        <message>
            <source>Page: this computer</source>
            <translation>网页：仅本机</translation>
        </message>
        <message>
            <source>Page: every interface %1</source>
            <extracomment>%1 the port (":8080")</extracomment>
            <translation>网页：所有网络接口 %1</translation>
        </message>
        <message>
            <source>Page: local network %1</source>
            <extracomment>%1 the address and port ("192.168.1.5:8080")</extracomment>
            <translation>网页：局域网 %1</translation>
        </message>
        <message>
            <source>The live page is served; View &gt; Share on the local network… changes or stops it</source>
            <translation>正在提供实时网页；在“图表 &gt; 在局域网上共享…”中更改或停止</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PublishDialog</name>
        <message>
            <source>Publish on the network</source>
            <translation>在网络上发布</translation>
        </message>
        <message>
            <source>Publish this charger</source>
            <translation>发布此充电器</translation>
        </message>
        <message>
            <source>mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…</source>
            <translation>mqtt://[用户@]主机[:端口]/名称 或 mqtts://…</translation>
        </message>
        <message>
            <source>not kept; unused with a password file</source>
            <translation>不保存；有密码文件时不使用</translation>
        </message>
        <message>
            <source>Home Assistant discovery</source>
            <translation>Home Assistant 自动发现</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>地址：</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>密码：</translation>
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
            <source>OK</source>
            <translation>确定</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>浏览…</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::RecordingsDialog</name>
        <message>
            <source>All packs</source>
            <translation>全部电池组</translation>
        </message>
        <message>
            <source>Recordings</source>
            <translation>记录</translation>
        </message>
        <message>
            <source>Leave out of the pack's history</source>
            <translation>不计入此电池组的历史</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>打开</translation>
        </message>
        <message>
            <source>Delete</source>
            <translation>删除</translation>
        </message>
        <message>
            <source>Show folder</source>
            <translation>打开文件夹</translation>
        </message>
        <message>
            <source>Close</source>
            <translation>关闭</translation>
        </message>
        <message>
            <source>Pack:</source>
            <translation>电池组：</translation>
        </message>
        <message>
            <source>Reading %1 of %2 recordings…</source>
            <extracomment>%1 the recordings read so far, %2 all of them</extracomment>
            <translation>正在读取记录：%1 / %2…</translation>
        </message>
        <message>
            <source>%1 — %2 in %3 recordings</source>
            <extracomment>%1 the folder, %2 its size, %3 how many recordings</extracomment>
            <translation>%1 — %2，%3 个记录</translation>
        </message>
        <message>
            <source>Delete %1 recording(s)? This cannot be undone.</source>
            <translation>删除 %1 个记录？</translation>
        </message>
        <message>
            <source>Started</source>
            <translation>开始时间</translation>
        </message>
        <message>
            <source>Duration</source>
            <translation>时长</translation>
        </message>
        <message>
            <source>Rows</source>
            <translation>行数</translation>
        </message>
        <message>
            <source>Battery</source>
            <translation>电池类型</translation>
        </message>
        <message>
            <source>Kind</source>
            <translation>种类</translation>
        </message>
        <message>
            <source>Capacity (mAh)</source>
            <translation>容量(mAh)</translation>
        </message>
        <message>
            <source>Charge / discharge</source>
            <translation>充电 / 放电，效率</translation>
        </message>
        <message>
            <source>Energy (Wh)</source>
            <translation>能量(Wh)</translation>
        </message>
        <message>
            <source>Largest spread (V)</source>
            <translation>最大压差(V)</translation>
        </message>
        <message>
            <source>Pack</source>
            <translation>电池组</translation>
        </message>
        <message>
            <source>Cells</source>
            <translation>电芯</translation>
        </message>
        <message>
            <source>Alarms</source>
            <translation>警报</translation>
        </message>
        <message>
            <source>Size</source>
            <translation>大小</translation>
        </message>
        <message>
            <source>Left out of the pack's history</source>
            <translation>不计入此电池组的历史</translation>
        </message>
        <message>
            <source>(unreadable)</source>
            <translation>（无法读取）</translation>
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
            <source>OK</source>
            <translation>确定</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ShareDialog</name>
        <message>
            <source>Share on the local network</source>
            <translation>在局域网中共享</translation>
        </message>
        <message>
            <source>Share a live page (read-only)</source>
            <translation>共享实时页面（只读）</translation>
        </message>
        <message>
            <source>The local network (none: this computer only)</source>
            <extracomment>%1 this computer's address on the local network</extracomment>
            <translation>局域网（未连接，仅本机）</translation>
        </message>
        <message>
            <source>The local network (%1)</source>
            <translation>局域网 (%1)</translation>
        </message>
        <message>
            <source>This computer only (127.0.0.1)</source>
            <translation>仅本机 (127.0.0.1)</translation>
        </message>
        <message>
            <source>All interfaces</source>
            <translation>所有网络接口</translation>
        </message>
        <message>
            <source>A named address</source>
            <translation>指定地址</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>地址：</translation>
        </message>
        <message>
            <source>Port:</source>
            <translation>端口：</translation>
        </message>
        <message>
            <source>Anyone holding this address can look. A new address makes the old one stop working.</source>
            <translation>持有此地址的人都可以查看页面。新地址会使旧地址立即失效。</translation>
        </message>
        <message>
            <source>New address</source>
            <translation>新地址</translation>
        </message>
        <message>
            <source>'%1' is no IP address</source>
            <translation>“%1”不是 IP 地址</translation>
        </message>
        <message>
            <source>Not shared.</source>
            <translation>未共享。</translation>
        </message>
        <message>
            <source>No QR code: %1 opens on this computer only, a phone cannot reach it. Choose the local network's address.</source>
            <extracomment>%1 the loopback address served on</extracomment>
            <translation>没有二维码：%1 只能在本机打开，手机无法访问。请选择局域网地址。</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::SharingClaim</name>
        <message>
            <source>Another Cellwatch window serves the live page and publishes; this window leaves both off</source>
            <translation>另一个充电监控窗口已在提供网页和发布数据；此窗口不提供网页，也不发布</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::SummaryView</name>
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
            <translation>混合</translation>
        </message>
        <message>
            <source>start</source>
            <translation>开始时间</translation>
        </message>
        <message>
            <source>(not recorded)</source>
            <translation>（未记录）</translation>
        </message>
        <message>
            <source>battery</source>
            <translation>电池类型</translation>
        </message>
        <message>
            <source>kind</source>
            <translation>种类</translation>
        </message>
        <message>
            <source>rows</source>
            <translation>行数</translation>
        </message>
        <message>
            <source>duration</source>
            <translation>时长</translation>
        </message>
        <message>
            <source>capacity</source>
            <translation>容量</translation>
        </message>
        <message>
            <source>energy</source>
            <translation>能量</translation>
        </message>
        <message>
            <source>current</source>
            <translation>电流</translation>
        </message>
        <message>
            <source>mean %1 A, largest %2 A</source>
            <translation>平均 %1 A，最大 %2 A</translation>
        </message>
        <message>
            <source>voltage</source>
            <translation>电压</translation>
        </message>
        <message>
            <source>first %1 V, last %2 V, highest %3 V</source>
            <translation>开始 %1 V，结束 %2 V，最高 %3 V</translation>
        </message>
        <message>
            <source>temperature</source>
            <translation>温度</translation>
        </message>
        <message>
            <source>external up to %1 °C, internal up to %2 °C</source>
            <translation>外部最高 %1 °C，内部最高 %2 °C</translation>
        </message>
        <message>
            <source>cells</source>
            <translation>单元</translation>
        </message>
        <message>
            <source>none</source>
            <translation>无</translation>
        </message>
        <message>
            <source>%1 (last %2 V)</source>
            <translation>%1 节（最后 %2 V）</translation>
        </message>
        <message>
            <source>largest spread</source>
            <translation>最大压差</translation>
        </message>
        <message>
            <source>%1 V at %2</source>
            <translation>%1 V，于 %2</translation>
        </message>
        <message>
            <source>pack</source>
            <translation>电池组</translation>
        </message>
        <message>
            <source>(none)</source>
            <translation>（无）</translation>
        </message>
        <message>
            <source>note</source>
            <translation>备注</translation>
        </message>
        <message>
            <source>more phases</source>
            <translation>其余阶段</translation>
        </message>
        <message>
            <source>%1 more (cellwatch-report lists every one)</source>
            <translation>另有 %1 个（cellwatch-report 逐一列出）</translation>
        </message>
        <message>
            <source>phase %1</source>
            <translation>阶段 %1</translation>
        </message>
        <message>
            <source>efficiency</source>
            <translation>效率</translation>
        </message>
        <message>
            <source>resistance</source>
            <translation>内阻</translation>
        </message>
        <message>
            <source>charger resistance</source>
            <translation>充电器测得内阻</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::SummaryWindow</name>
        <message>
            <source>Summary</source>
            <translation>摘要</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ViewerOverlays</name>
        <message>
            <source>Compare with…</source>
            <translation>对比…</translation>
        </message>
        <message>
            <source>Lay other recordings over the chart, each from its start</source>
            <translation>将其他记录叠加在图表上，从各自的开始处对齐</translation>
        </message>
        <message>
            <source>Remove %1</source>
            <translation>移除 %1</translation>
        </message>
        <message>
            <source>Remove all</source>
            <translation>全部移除</translation>
        </message>
        <message>
            <source>Compare with</source>
            <translation>对比</translation>
        </message>
        <message>
            <source>Recordings (*.csv)</source>
            <translation>记录 (*.csv)</translation>
        </message>
        <message>
            <source>All files (*)</source>
            <translation>所有文件 (*)</translation>
        </message>
        <message>
            <source>%1 cannot be compared: %2</source>
            <translation>无法对比 %1：%2</translation>
        </message>
        <message>
            <source>At most %1 recordings can be compared at once; %2 file(s) not added</source>
            <translation>最多可同时对比 %1 个记录，%2 个文件未添加</translation>
        </message>
        <message>
            <source>Comparing with %1</source>
            <translation>正在对比 %1</translation>
        </message>
        <message>
            <source>Opening %1</source>
            <translation>正在打开 %1</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>取消</translation>
        </message>
        <message>
            <source>Removed %1</source>
            <translation>已移除 %1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ViewerWindow</name>
        <message>
            <source>Change this recording's pack and note</source>
            <translation>更改此记录的电池组及备注</translation>
        </message>
        <message>
            <source>Cells Δ mV</source>
            <translation>电芯 Δ mV</translation>
        </message>
        <message>
            <source>Cell curves as the difference from the mean, in mV</source>
            <translation>电芯曲线显示与均值之差 (mV)</translation>
        </message>
        <message>
            <source>Summary</source>
            <translation>摘要</translation>
        </message>
        <message>
            <source>Readouts</source>
            <translation>读数</translation>
        </message>
        <message>
            <source>Cells</source>
            <translation>电芯</translation>
        </message>
        <message>
            <source> — pack %1</source>
            <translation> — 电池组 %1</translation>
        </message>
        <message>
            <source>The pack could not be kept</source>
            <translation>无法保存电池组</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::WatchConnectDialog</name>
        <message>
            <source>Watch a charger</source>
            <translation>查看充电器</translation>
        </message>
        <message>
            <source>mqtt://[USER@]HOST[:PORT]/NAME</source>
            <translation>mqtt://[用户@]主机[:端口]/名称</translation>
        </message>
        <message>
            <source>only with USER@ in the address; not kept</source>
            <translation>仅当地址含用户名时使用；不保存</translation>
        </message>
        <message>
            <source>empty: unsigned messages count</source>
            <translation>空：接受未签名的消息</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>浏览…</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>地址：</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>密码：</translation>
        </message>
        <message>
            <source>Key file:</source>
            <translation>密钥文件：</translation>
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
            <source>Cannot watch the charger: %1</source>
            <extracomment>%1 why, in the words of the part that failed</extracomment>
            <translation>无法监视充电器：%1</translation>
        </message>
    </context>
</TS>
