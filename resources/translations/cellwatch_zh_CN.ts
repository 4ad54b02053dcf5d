<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
    <context>
        <name>NetworkList</name>
        <message>
            <source>Chargers on the network…</source>
            <translation>网络上的充电器…</translation>
        </message>
        <message>
            <source>Watch a charger…</source>
            <translation>查看充电器…</translation>
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
        <name>cellwatch::HelpPane</name>
        <message>
            <source>The help page ad.htm is missing beside the program.</source>
            <translation>程序旁边缺少帮助页面 ad.htm。</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::LineSharing</name>
        <message>
            <source>The capture stopped: %1</source>
            <translation>捕获已停止：%1</translation>
        </message>
        <message>
            <source>Capture the line…</source>
            <translation>捕获线路数据…</translation>
        </message>
        <message>
            <source>Publish on the network…</source>
            <translation>在网络上发布…</translation>
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
            <source>the charger went offline</source>
            <translation>充电器已离线</translation>
        </message>
        <message>
            <source>the charger's connection began anew</source>
            <translation>充电器已重新连接</translation>
        </message>
        <message>
            <source>the link to the broker was lost</source>
            <translation>与服务器的连接已中断</translation>
        </message>
        <message>
            <source>the broker cannot be reached</source>
            <translation>无法连接服务器</translation>
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
        <message>
            <source>Share on the local network…</source>
            <translation>在局域网上共享…</translation>
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
            <source>Browse…</source>
            <translation>浏览…</translation>
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
            <source>Reading…</source>
            <translation>正在读取电池组的健康状况…</translation>
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
    </context>
</TS>
