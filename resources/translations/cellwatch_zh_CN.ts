<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
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
    </context>
</TS>
