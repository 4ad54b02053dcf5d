<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
    <context>
        <name>AlarmText</name>
        <message>
            <source>External temperature %1 °C (limit %2 °C); internal temperature %3 °C (limit %4 °C)</source>
            <translation>Externe Temperatur %1 °C (Grenze %2 °C); interne Temperatur %3 °C (Grenze %4 °C)</translation>
        </message>
        <message>
            <source>External temperature %1 °C (limit %2 °C)</source>
            <translation>Externe Temperatur %1 °C (Grenze %2 °C)</translation>
        </message>
        <message>
            <source>Internal temperature %1 °C (limit %2 °C)</source>
            <translation>Interne Temperatur %1 °C (Grenze %2 °C)</translation>
        </message>
        <message>
            <source>Link lost during the discharge, last row at %1</source>
            <translation>Verbindung während der Entladung verloren, letzte Zeile bei %1</translation>
        </message>
        <message>
            <source>Link lost during the charge, last row at %1</source>
            <translation>Verbindung während der Ladung verloren, letzte Zeile bei %1</translation>
        </message>
        <message>
            <source>Link lost during the discharge, last row at %1: %2</source>
            <translation>Verbindung während der Entladung verloren, letzte Zeile bei %1: %2</translation>
        </message>
        <message>
            <source>Link lost during the charge, last row at %1: %2</source>
            <translation>Verbindung während der Ladung verloren, letzte Zeile bei %1: %2</translation>
        </message>
        <message>
            <source>Cell %1 at %2 V (limit %3 V)</source>
            <translation>Zelle %1 bei %2 V (Obergrenze %3 V)</translation>
        </message>
        <message>
            <source>Cells %1 V apart: cell %2 at %3 V, cell %4 at %5 V (limit %6 V)</source>
            <translation>Zellen %1 V auseinander: Zelle %2 bei %3 V, Zelle %4 bei %5 V (Grenze %6 V)</translation>
        </message>
        <message>
            <source>Input at %1 V (limit %2 V)</source>
            <translation>Eingangsspannung %1 V (Untergrenze %2 V)</translation>
        </message>
        <message>
            <source>The discharge finished after %1 (no charging or discharging for %2 s)</source>
            <translation>Die Entladung endete nach %1 (seit %2 s kein Laden oder Entladen)</translation>
        </message>
        <message>
            <source>The charge finished after %1 (no charging or discharging for %2 s)</source>
            <translation>Die Ladung endete nach %1 (seit %2 s kein Laden oder Entladen)</translation>
        </message>
        <message>
            <source>No new row for %1 s while the discharge was running (last row at %2)</source>
            <translation>Seit %1 s keine neue Zeile während der Entladung (letzte Zeile bei %2)</translation>
        </message>
        <message>
            <source>No new row for %1 s while the charge was running (last row at %2)</source>
            <translation>Seit %1 s keine neue Zeile während der Ladung (letzte Zeile bei %2)</translation>
        </message>
    </context>
    <context>
        <name>AlarmTextLowLimit</name>
        <message>
            <source>Cell %1 at %2 V (limit %3 V)</source>
            <translation>Zelle %1 bei %2 V (Untergrenze %3 V)</translation>
        </message>
    </context>
    <context>
        <name>AnalysisText</name>
        <message>
            <source>%1; %2</source>
            <translation>%1; %2</translation>
        </message>
        <message>
            <source>%1, %2</source>
            <translation>%1, %2</translation>
        </message>
        <message>
            <source> (the counter restarted once)</source>
            <translation> (Zähler einmal neu gestartet)</translation>
        </message>
        <message>
            <source> (the counter restarted %1 times)</source>
            <translation> (Zähler %1-mal neu gestartet)</translation>
        </message>
        <message>
            <source> (started part-way)</source>
            <translation> (mittendrin begonnen)</translation>
        </message>
        <message>
            <source>last full discharge %1 mAh (%2 % of the first)</source>
            <translation>letzte volle Entladung %1 mAh (%2 % der ersten)</translation>
        </message>
        <message>
            <source>last full charge %1 mAh (%2 % of the first)</source>
            <translation>letzte volle Ladung %1 mAh (%2 % der ersten)</translation>
        </message>
        <message>
            <source>last full discharge %1 mAh (%2 % of nominal, %3 % of the first)</source>
            <translation>letzte volle Entladung %1 mAh (%2 % des Nennwerts, %3 % der ersten)</translation>
        </message>
        <message>
            <source>last full charge %1 mAh (%2 % of nominal, %3 % of the first)</source>
            <translation>letzte volle Ladung %1 mAh (%2 % des Nennwerts, %3 % der ersten)</translation>
        </message>
        <message>
            <source>cell %1: lowest at the end of %2 of the last %3 discharge, %4 mV under the mean</source>
            <translation>Zelle %1: am niedrigsten am Ende von %2 der letzten %3 Entladung, %4 mV unter dem Mittel</translation>
        </message>
        <message>
            <source>cell %1: lowest at the end of %2 of the last %3 discharges, %4 mV under the mean</source>
            <translation>Zelle %1: am niedrigsten am Ende von %2 der letzten %3 Entladungen, %4 mV unter dem Mittel</translation>
        </message>
        <message>
            <source>cell %1: highest at the end of %2 of the last %3 charge, %4 mV over the mean</source>
            <translation>Zelle %1: am höchsten am Ende von %2 der letzten %3 Ladung, %4 mV über dem Mittel</translation>
        </message>
        <message>
            <source>cell %1: highest at the end of %2 of the last %3 charges, %4 mV over the mean</source>
            <translation>Zelle %1: am höchsten am Ende von %2 der letzten %3 Ladungen, %4 mV über dem Mittel</translation>
        </message>
        <message>
            <source>charge</source>
            <translation>Ladung</translation>
        </message>
        <message>
            <source>discharge</source>
            <translation>Entladung</translation>
        </message>
        <message>
            <source>rest</source>
            <translation>Pause</translation>
        </message>
        <message>
            <source>uncertain (± %1 %)</source>
            <translation>unsicher (± %1 %)</translation>
        </message>
        <message>
            <source>uncertain</source>
            <translation>unsicher</translation>
        </message>
        <message>
            <source>%1 from %2 for %3, %4 mAh%5, %6 Wh, mean %7 A, largest %8 A</source>
            <translation>%1 ab %2 für %3, %4 mAh%5, %6 Wh, Mittel %7 A, größte %8 A</translation>
        </message>
        <message>
            <source>%1 % of the energy, %2 % of the capacity</source>
            <translation>%1 % der Energie, %2 % der Kapazität</translation>
        </message>
        <message>
            <source>uncertain (%1 steps, none within %2 %)</source>
            <translation>unsicher (%1 Sprünge, keiner innerhalb %2 %)</translation>
        </message>
        <message>
            <source>%1, from %2 step</source>
            <translation>%1, aus %2 Sprung</translation>
        </message>
        <message>
            <source>%1, the median of %2 steps</source>
            <translation>%1, Median aus %2 Sprüngen</translation>
        </message>
        <message>
            <source>%1; cells %2 mΩ</source>
            <translation>%1; Zellen %2 mΩ</translation>
        </message>
        <message>
            <source>pack %1 mΩ</source>
            <translation>Akku %1 mΩ</translation>
        </message>
        <message>
            <source>cells %1 mΩ</source>
            <translation>Zellen %1 mΩ</translation>
        </message>
        <message>
            <source>%1 equivalent cycles</source>
            <translation>%1 äquivalente Zyklen</translation>
        </message>
        <message>
            <source>resistance %1 %</source>
            <translation>Innenwiderstand %1 %</translation>
        </message>
        <message>
            <source>no full charge or discharge yet</source>
            <translation>noch keine volle Ladung oder Entladung</translation>
        </message>
        <message>
            <source>This recording has %1 cells; pack "%2" has %3</source>
            <translation>Diese Aufzeichnung hat %1 Zellen; Akku „%2“ hat %3</translation>
        </message>
    </context>
    <context>
        <name>BrokerNotice</name>
        <message>
            <source>connected to the broker %1</source>
            <translation>mit dem Broker %1 verbunden</translation>
        </message>
        <message>
            <source>the broker %1 has acknowledged nothing for %2 s (%3 messages wait); what waits is bounded, the oldest raw records give way first</source>
            <translation>der Broker %1 hat seit %2 s nichts bestätigt (%3 Nachrichten warten); was wartet, ist begrenzt, die ältesten Rohdatensätze weichen zuerst</translation>
        </message>
        <message>
            <source>lost the broker %1: %2; trying again in %3 s</source>
            <translation>Verbindung zum Broker %1 verloren: %2; neuer Versuch in %3 s</translation>
        </message>
        <message>
            <source>cannot reach the broker %1: %2; trying again in %3 s</source>
            <translation>Broker %1 nicht erreichbar: %2; neuer Versuch in %3 s</translation>
        </message>
        <message>
            <source>the broker %1 is not taking messages (%2 wait for its acknowledgement); the oldest raw records give way</source>
            <translation>der Broker %1 nimmt keine Nachrichten an (%2 warten auf Bestätigung); die ältesten Rohdatensätze weichen</translation>
        </message>
        <message>
            <source>the broker %1 takes messages again; %2 raw records and %3 rows or events were dropped meanwhile</source>
            <translation>der Broker %1 nimmt wieder Nachrichten an; %2 Rohdatensätze und %3 Zeilen oder Ereignisse wurden inzwischen verworfen</translation>
        </message>
        <message>
            <source>the broker %1 takes messages again; %2 raw records were dropped meanwhile</source>
            <translation>der Broker %1 nimmt wieder Nachrichten an; %2 Rohdatensätze wurden inzwischen verworfen</translation>
        </message>
    </context>
</TS>
