<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
    <context>
        <name>AboutBox</name>
        <message>
            <source>Software name:Cellwatch       </source>
            <translation>Programmname: Cellwatch</translation>
        </message>
        <message>
            <source>Version:%1</source>
            <translation>Version: %1</translation>
        </message>
        <message>
            <source>Website:%1</source>
            <translation>Website: %1</translation>
        </message>
        <message>
            <source>Runtime Environment: Windows 9x/Windows 2000/Windows XP / Windows Vista</source>
            <translation>Laufzeitumgebung: Windows 9x/Windows 2000/Windows XP / Windows Vista</translation>
        </message>
        <message>
            <source>    This software applies to all of the RX series charger.Though the monitoring of the charge parameter and the real-time graph show，you can ungerstand the charger and  performance of battery completely.  </source>
            <translation>    Diese Software eignet sich für alle Ladegeräte der RX-Serie. Durch die Überwachung der Ladeparameter und die Echtzeitgrafik lernen Sie Ihr Ladegerät und die Leistung Ihrer Akkus genau kennen.</translation>
        </message>
        <message>
            <source>Copyright (C) 2026 the Cellwatch developers</source>
            <translation>Copyright (C) 2026 die Cellwatch-Entwickler</translation>
        </message>
    </context>
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
        <message>
            <source>cells %1 mΩ reported by the charger, %2 mΩ estimated</source>
            <translation>Zellen %1 mΩ laut Ladegerät, %2 mΩ geschätzt</translation>
        </message>
    </context>
    <context>
        <name>BrokerFailure</name>
        <message>
            <source>the connection failed: %1</source>
            <extracomment>%1 the system's or the MQTT library's own words</extracomment>
            <translation>die Verbindung ist fehlgeschlagen: %1</translation>
        </message>
        <message>
            <source>the connection failed</source>
            <translation>die Verbindung ist fehlgeschlagen</translation>
        </message>
        <message>
            <source>nothing takes connections at the broker's port (is the broker running?)</source>
            <translation>am Port des Brokers nimmt nichts Verbindungen an (läuft der Broker?)</translation>
        </message>
        <message>
            <source>cannot find the host: %1</source>
            <extracomment>%1 the name resolver's own words</extracomment>
            <translation>der Host wird nicht gefunden: %1</translation>
        </message>
        <message>
            <source>no answer to the keep-alive</source>
            <translation>keine Antwort auf das Keep-alive</translation>
        </message>
        <message>
            <source>timed out</source>
            <translation>Zeitüberschreitung</translation>
        </message>
        <message>
            <source>disconnected by the broker's administrator</source>
            <translation>vom Administrator des Brokers getrennt</translation>
        </message>
        <message>
            <source>error %1 of the MQTT library</source>
            <translation>Fehler %1 der MQTT-Bibliothek</translation>
        </message>
        <message>
            <source>the broker refused the connection: it does not speak this version of MQTT</source>
            <translation>der Broker hat die Verbindung abgelehnt: er spricht diese MQTT-Version nicht</translation>
        </message>
        <message>
            <source>the broker refused the connection: it does not take this client's identifier</source>
            <translation>der Broker hat die Verbindung abgelehnt: er nimmt die Kennung dieses Clients nicht an</translation>
        </message>
        <message>
            <source>the broker refused the connection: it is unavailable</source>
            <translation>der Broker hat die Verbindung abgelehnt: er ist nicht verfügbar</translation>
        </message>
        <message>
            <source>the broker refused the connection: wrong user name or password</source>
            <translation>der Broker hat die Verbindung abgelehnt: falscher Benutzername oder falsches Passwort</translation>
        </message>
        <message>
            <source>the broker refused the connection: not authorised</source>
            <translation>der Broker hat die Verbindung abgelehnt: nicht berechtigt</translation>
        </message>
        <message>
            <source>the broker refused the connection: %1</source>
            <extracomment>%1 the MQTT library's own words</extracomment>
            <translation>der Broker hat die Verbindung abgelehnt: %1</translation>
        </message>
        <message>
            <source>no answer within %1 s</source>
            <translation>keine Antwort innerhalb von %1 s</translation>
        </message>
        <message>
            <source>the broker at %1 accepted the connection but did not answer within %2 s</source>
            <extracomment>%1 the broker ("127.0.0.1:1883"), %2 seconds</extracomment>
            <translation>der Broker unter %1 hat die Verbindung angenommen, aber nicht innerhalb von %2 s geantwortet</translation>
        </message>
        <message>
            <source>disconnected</source>
            <translation>getrennt</translation>
        </message>
        <message>
            <source>the broker is not reading (%1 kB waiting)</source>
            <translation>der Broker liest nicht (%1 kB warten)</translation>
        </message>
        <message>
            <source>the broker stopped answering (nothing from it for %1 s; %2 kB wait for its acknowledgement)</source>
            <translation>der Broker antwortet nicht mehr (seit %1 s nichts von ihm; %2 kB warten auf seine Bestätigung)</translation>
        </message>
        <message>
            <source>the broker stopped answering (nothing from it for %1 s)</source>
            <translation>der Broker antwortet nicht mehr (seit %1 s nichts von ihm)</translation>
        </message>
        <message>
            <source>the broker's certificate is signed by an unknown authority (not one trusted here)</source>
            <translation>das Zertifikat des Brokers ist von einer unbekannten Stelle signiert (keiner, der hier vertraut wird)</translation>
        </message>
        <message>
            <source>the broker's certificate has expired</source>
            <translation>das Zertifikat des Brokers ist abgelaufen</translation>
        </message>
        <message>
            <source>the broker's certificate is not valid yet</source>
            <translation>das Zertifikat des Brokers ist noch nicht gültig</translation>
        </message>
        <message>
            <source>the broker's certificate is for another host name than %1</source>
            <translation>das Zertifikat des Brokers gilt für einen anderen Hostnamen als %1</translation>
        </message>
        <message>
            <source>the broker's certificate was refused: %1</source>
            <extracomment>%1 the TLS library's own words</extracomment>
            <translation>das Zertifikat des Brokers wurde abgelehnt: %1</translation>
        </message>
        <message>
            <source>TLS failed: %1</source>
            <extracomment>%1 the TLS library's own words</extracomment>
            <translation>TLS ist fehlgeschlagen: %1</translation>
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
        <message>
            <source>dropped %1 message(s) from the broker %2 larger than %3 bytes (%4 in all)</source>
            <translation>%1 Nachricht(en) vom Broker %2 größer als %3 Bytes verworfen (insgesamt %4)</translation>
        </message>
    </context>
    <context>
        <name>Captions</name>
        <message>
            <source>Acknowledge</source>
            <translation>Bestätigen</translation>
        </message>
        <message>
            <source>and %1 earlier alarms</source>
            <translation>und %1 frühere Alarme</translation>
        </message>
        <message>
            <source>channel %1: </source>
            <translation>Kanal %1: </translation>
        </message>
        <message>
            <source>Alarm</source>
            <translation>Alarm</translation>
        </message>
        <message>
            <source>Time</source>
            <translation>Zeit</translation>
        </message>
        <message>
            <source>Kind</source>
            <translation>Art</translation>
        </message>
        <message>
            <source>No alarms</source>
            <translation>Keine Alarme</translation>
        </message>
        <message>
            <source>Graph</source>
            <translation>Diagramm</translation>
        </message>
        <message>
            <source>Real-time data</source>
            <translation>Echtzeitdaten</translation>
        </message>
        <message>
            <source>Cellwatch         </source>
            <translation>Cellwatch         </translation>
        </message>
        <message>
            <source>The language has been set into English</source>
            <translation>Die Sprache wurde auf Deutsch gestellt</translation>
        </message>
        <message>
            <source>On line</source>
            <translation>Verbunden</translation>
        </message>
        <message>
            <source>Disconnected</source>
            <translation>Getrennt</translation>
        </message>
        <message>
            <source>The link to the charger was lost</source>
            <translation>Die Verbindung zum Ladegerät ist abgebrochen</translation>
        </message>
        <message>
            <source>waiting for the same adapter to come back</source>
            <translation>warte auf denselben Adapter</translation>
        </message>
        <message>
            <source>Reconnected to</source>
            <translation>Wieder verbunden mit</translation>
        </message>
        <message>
            <source>Opened</source>
            <translation>Geöffnet</translation>
        </message>
        <message>
            <source>The capture has been played to its end</source>
            <translation>Die Aufnahme wurde bis zum Ende abgespielt</translation>
        </message>
        <message>
            <source>The recording's journal stopped</source>
            <translation>Das Journal der Aufzeichnung wurde angehalten</translation>
        </message>
        <message>
            <source>The recording's journal caught up with every row</source>
            <translation>Das Journal der Aufzeichnung hat alle Zeilen nachgetragen</translation>
        </message>
        <message>
            <source>The recording's journal was deleted; written again with every row so far</source>
            <translation>Das Journal der Aufzeichnung wurde gelöscht und mit allen bisherigen Zeilen neu geschrieben</translation>
        </message>
        <message>
            <source>Exported %1 rows to %2</source>
            <translation>%1 Zeilen nach %2 exportiert</translation>
        </message>
        <message>
            <source>Exported %1 row to %2</source>
            <translation>%1 Zeile nach %2 exportiert</translation>
        </message>
        <message>
            <source>Saved the chart to %1</source>
            <translation>Diagramm in %1 gespeichert</translation>
        </message>
        <message>
            <source>Copied the chart</source>
            <translation>Diagramm kopiert</translation>
        </message>
        <message>
            <source>Printed the chart</source>
            <translation>Diagramm gedruckt</translation>
        </message>
        <message>
            <source>A new recording began; the previous one is kept in %1</source>
            <translation>Eine neue Aufzeichnung hat begonnen; die vorige liegt in %1</translation>
        </message>
        <message>
            <source>A new recording began</source>
            <translation>Eine neue Aufzeichnung hat begonnen</translation>
        </message>
        <message>
            <source>Pack: %1</source>
            <translation>Akkupack: %1</translation>
        </message>
        <message>
            <source>Recordings no longer name a pack</source>
            <translation>Aufzeichnungen nennen kein Akkupack mehr</translation>
        </message>
        <message>
            <source>The pack could not be kept</source>
            <translation>Das Akkupack konnte nicht gespeichert werden</translation>
        </message>
        <message>
            <source>Opening %1</source>
            <translation>Öffne %1</translation>
        </message>
        <message>
            <source>Exporting %1</source>
            <translation>Exportiere %1</translation>
        </message>
        <message>
            <source>Idle</source>
            <translation>Bereit</translation>
        </message>
        <message>
            <source>Charging</source>
            <translation>Laden</translation>
        </message>
        <message>
            <source>Discharging</source>
            <translation>Entladen</translation>
        </message>
        <message>
            <source>Resting</source>
            <translation>Pause</translation>
        </message>
        <message>
            <source>Balancing</source>
            <translation>Balancieren</translation>
        </message>
        <message>
            <source>Storage</source>
            <translation>Lagern</translation>
        </message>
        <message>
            <source>Done</source>
            <translation>Fertig</translation>
        </message>
        <message>
            <source>Error</source>
            <translation>Fehler</translation>
        </message>
        <message>
            <source>Copied 1 row of the table</source>
            <translation>1 Tabellenzeile kopiert</translation>
        </message>
        <message>
            <source>Copied %1 rows of the table</source>
            <translation>%1 Tabellenzeilen kopiert</translation>
        </message>
        <message>
            <source>Start %1</source>
            <translation>Beginn %1</translation>
        </message>
        <message>
            <source>Start not recorded</source>
            <translation>Beginn nicht aufgezeichnet</translation>
        </message>
        <message>
            <source>Pack %1</source>
            <translation>Akkupack %1</translation>
        </message>
        <message>
            <source>Battery %1, %2</source>
            <translation>Akku %1, %2</translation>
        </message>
        <message>
            <source>Capacity %1 mAh    %2 Wh    Duration %3</source>
            <translation>Kapazität %1 mAh    %2 Wh    Dauer %3</translation>
        </message>
        <message>
            <source>charge</source>
            <translation>Laden</translation>
        </message>
        <message>
            <source>discharge</source>
            <translation>Entladen</translation>
        </message>
        <message>
            <source>mixed</source>
            <translation>gemischt</translation>
        </message>
        <message>
            <source>No serial port found. To try the program without a charger: Help &gt; Try the emulator</source>
            <translation>Kein serieller Anschluss gefunden. Ohne Ladegerät ausprobieren: Hilfe &gt; Emulator ausprobieren</translation>
        </message>
        <message>
            <source>The emulator runs on %1</source>
            <translation>Der Emulator läuft auf %1</translation>
        </message>
        <message>
            <source>The emulator %1 is not there (beside the program or in /usr/bin)</source>
            <translation>Der Emulator %1 fehlt (neben dem Programm oder in /usr/bin)</translation>
        </message>
        <message>
            <source>The emulator could not start: %1</source>
            <translation>Der Emulator konnte nicht starten: %1</translation>
        </message>
        <message>
            <source>The emulator stopped</source>
            <translation>Der Emulator wurde beendet</translation>
        </message>
        <message>
            <source>Export range…</source>
            <translation>Bereich exportieren…</translation>
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
            <translation>Geladen</translation>
        </message>
        <message>
            <source>Discharged</source>
            <translation>Entladen</translation>
        </message>
        <message>
            <source>at A</source>
            <translation>bei A</translation>
        </message>
        <message>
            <source>at B</source>
            <translation>bei B</translation>
        </message>
        <message>
            <source>min</source>
            <translation>min</translation>
        </message>
        <message>
            <source>max</source>
            <translation>max</translation>
        </message>
        <message>
            <source>mean</source>
            <translation>Mittel</translation>
        </message>
        <message>
            <source>Voltage(V)</source>
            <translation>Spannung(V)</translation>
        </message>
        <message>
            <source>Current(A)</source>
            <translation>Strom(A)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>Extern(℃)</translation>
        </message>
        <message>
            <source>Inner(℃)</source>
            <translation>Intern(℃)</translation>
        </message>
        <message>
            <source>Cell spread(V)</source>
            <translation>Zellspreizung(V)</translation>
        </message>
        <message>
            <source>Exported the range's %1 rows to %2</source>
            <translation>%1 Zeilen des Bereichs nach %2 exportiert</translation>
        </message>
        <message>
            <source>Exported the range's %1 row to %2</source>
            <translation>%1 Zeile des Bereichs nach %2 exportiert</translation>
        </message>
        <message>
            <source>There are no rows between the cursors</source>
            <translation>Zwischen den Cursorn liegen keine Zeilen</translation>
        </message>
        <message>
            <source>end</source>
            <translation>Ende</translation>
        </message>
        <message>
            <source>Cell %1</source>
            <translation>Zelle %1</translation>
        </message>
    </context>
    <context>
        <name>CellReadoutTitles</name>
        <message>
            <source>Average(V)</source>
            <translation>Mittel(V)</translation>
        </message>
        <message>
            <source>Maximum(V)</source>
            <translation>Maximum(V)</translation>
        </message>
        <message>
            <source>Minimum(V)</source>
            <translation>Minimum(V)</translation>
        </message>
        <message>
            <source>D.Peak(V)</source>
            <translation>Spreizung(V)</translation>
        </message>
        <message>
            <source>Capacity(mAh)</source>
            <translation>Kap.(mAh)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>Extern(℃)</translation>
        </message>
    </context>
    <context>
        <name>ChannelPacks</name>
        <message>
            <source>Channel %1</source>
            <translation>Kanal %1</translation>
        </message>
    </context>
    <context>
        <name>ChartAxes</name>
        <message>
            <source>Voltage(V)</source>
            <translation>Spannung(V)</translation>
        </message>
        <message>
            <source>Current(A)</source>
            <translation>Strom(A)</translation>
        </message>
        <message>
            <source>Capacity(mAh)</source>
            <translation>Kapazität(mAh)</translation>
        </message>
        <message>
            <source>Temperature(℃)</source>
            <translation>Temperatur(℃)</translation>
        </message>
    </context>
    <context>
        <name>ChartTitles</name>
        <message>
            <source>Idle</source>
            <translation>Bereit</translation>
        </message>
    </context>
    <context>
        <name>ControlTooltips</name>
        <message>
            <source>Show / Hide voltage curve</source>
            <translation>Spannungskurve ein-/ausblenden</translation>
        </message>
        <message>
            <source>Show / Hide current curve</source>
            <translation>Stromkurve ein-/ausblenden</translation>
        </message>
        <message>
            <source>Show / Hide capacity curve</source>
            <translation>Kapazitätskurve ein-/ausblenden</translation>
        </message>
        <message>
            <source>Show / hide the internal temperature curve</source>
            <translation>Kurve der Innentemperatur ein-/ausblenden</translation>
        </message>
        <message>
            <source>Support the type of battery Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo etc</source>
            <translation>Unterstützte Akkutypen: Li-ion/Poly/NiMH/NiCD/Pb/LiFe/LiLo usw.</translation>
        </message>
        <message>
            <source>Charging + CHG + \ discharge -DSC-\ standby Idle 3 states</source>
            <translation>Drei Zustände: Laden +CHG+ \ Entladen -DSC- \ Bereit Idle</translation>
        </message>
        <message>
            <source>Input voltage battery charger</source>
            <translation>Eingangsspannung des Ladegeräts</translation>
        </message>
        <message>
            <source>Over time</source>
            <translation>Verstrichene Zeit</translation>
        </message>
        <message>
            <source>Current battery voltage</source>
            <translation>Aktuelle Akkuspannung</translation>
        </message>
        <message>
            <source>current charge / discharge current</source>
            <translation>Aktueller Lade-/Entladestrom</translation>
        </message>
        <message>
            <source>Output power of charger</source>
            <translation>Ausgangsleistung des Ladegeräts</translation>
        </message>
        <message>
            <source>The charge / discharge capacity</source>
            <translation>Geladene / entladene Kapazität</translation>
        </message>
        <message>
            <source>Charger internal temperature</source>
            <translation>Innentemperatur des Ladegeräts</translation>
        </message>
        <message>
            <source>External temperature</source>
            <translation>Externe Temperatur</translation>
        </message>
    </context>
    <context>
        <name>ImportReason</name>
        <message>
            <source>%1 columns where a table row has %2</source>
            <translation>%1 Spalten, wo eine Tabellenzeile %2 hat</translation>
        </message>
        <message>
            <source>the last row is cut short (no line end)</source>
            <translation>die letzte Zeile ist abgeschnitten (kein Zeilenende)</translation>
        </message>
        <message>
            <source>no row of a recording (%1 columns, or a quote that never closes)</source>
            <translation>keine Zeile einer Aufzeichnung (%1 Spalten, oder ein Anführungszeichen, das nie schließt)</translation>
        </message>
        <message>
            <source>"%1" is no date and time</source>
            <translation>„%1“ ist kein Datum mit Uhrzeit</translation>
        </message>
        <message>
            <source>"%1" is no elapsed time (H:mm:ss)</source>
            <translation>„%1“ ist keine verstrichene Zeit (H:mm:ss)</translation>
        </message>
        <message>
            <source>the elapsed time %1 comes before the row above's %2</source>
            <translation>die verstrichene Zeit %1 liegt vor der der Zeile darüber (%2)</translation>
        </message>
        <message>
            <source>"%1" is no number</source>
            <translation>„%1“ ist keine Zahl</translation>
        </message>
        <message>
            <source>binary data, not text</source>
            <translation>binäre Daten, kein Text</translation>
        </message>
        <message>
            <source>cannot write a scratch file: %1</source>
            <translation>eine Hilfsdatei kann nicht geschrieben werden: %1</translation>
        </message>
        <message>
            <source>the last row is cut short</source>
            <translation>die letzte Zeile ist abgeschnitten</translation>
        </message>
        <message>
            <source>no row of a recording</source>
            <translation>keine Zeile einer Aufzeichnung</translation>
        </message>
        <message>
            <source>cannot write in %1: %2</source>
            <translation>in %1 kann nicht geschrieben werden: %2</translation>
        </message>
        <message>
            <source>cannot name a recording %1 in %2</source>
            <translation>eine Aufzeichnung kann in %2 nicht %1 heißen</translation>
        </message>
        <message>
            <source>it is larger than %1 MiB</source>
            <translation>sie ist größer als %1 MiB</translation>
        </message>
        <message>
            <source>it is a spreadsheet workbook (binary), not a log: import the charger's own file, or a CSV table</source>
            <translation>sie ist eine Tabellenkalkulationsmappe (binär), kein Protokoll: importieren Sie die eigene Datei des Ladegeräts oder eine CSV-Tabelle</translation>
        </message>
        <message>
            <source>the file is empty</source>
            <translation>die Datei ist leer</translation>
        </message>
        <message>
            <source>it is no ToolkitRC log, no OpenFormat lines and no table of this program</source>
            <translation>sie ist weder ein ToolkitRC-Protokoll noch OpenFormat-Zeilen noch eine Tabelle dieses Programms</translation>
        </message>
        <message>
            <source>the file does not tell its date (the charger has no clock): give the date it was recorded on</source>
            <translation>die Datei nennt ihr Datum nicht (das Ladegerät hat keine Uhr): geben Sie das Aufnahmedatum an</translation>
        </message>
        <message>
            <source>there is no recordings folder to import into</source>
            <translation>es gibt keinen Aufzeichnungsordner für den Import</translation>
        </message>
        <message>
            <source>cannot write its pack file: %1</source>
            <translation>ihre Akkupack-Datei kann nicht geschrieben werden: %1</translation>
        </message>
        <message>
            <source>it cannot be read: %1</source>
            <translation>sie kann nicht gelesen werden: %1</translation>
        </message>
        <message>
            <source>line %1, column %2: %3</source>
            <translation>Zeile %1, Spalte %2: %3</translation>
        </message>
        <message>
            <source>line %1: %2</source>
            <translation>Zeile %1: %2</translation>
        </message>
        <message>
            <source>ToolkitRC log</source>
            <translation>ToolkitRC-Protokoll</translation>
        </message>
        <message>
            <source>OpenFormat lines</source>
            <translation>OpenFormat-Zeilen</translation>
        </message>
        <message>
            <source>table</source>
            <translation>Tabelle</translation>
        </message>
        <message>
            <source>%1 (as %2)</source>
            <translation>%1 (gelesen als %2)</translation>
        </message>
        <message>
            <source>the line does not fit the description of these lines (its channel or its items)</source>
            <translation>die Zeile passt nicht zur Beschreibung dieser Zeilen (ihr Kanal oder ihre Einträge)</translation>
        </message>
        <message>
            <source>the log runs longer than 49 days</source>
            <translation>das Protokoll läuft länger als 49 Tage</translation>
        </message>
        <message>
            <source>more items than any charger sends</source>
            <translation>mehr Einträge, als ein Ladegerät sendet</translation>
        </message>
        <message>
            <source>%1 items: a line holds a channel, a state, a time, values and a checksum</source>
            <translation>%1 Einträge: eine Zeile enthält einen Kanal, einen Zustand, eine Zeit, Werte und eine Prüfsumme</translation>
        </message>
        <message>
            <source>"%1" is no checksum</source>
            <translation>„%1“ ist keine Prüfsumme</translation>
        </message>
        <message>
            <source>the checksum %1 does not match the line's %2</source>
            <translation>die Prüfsumme %1 passt nicht zu der der Zeile (%2)</translation>
        </message>
        <message>
            <source>"%1" is no channel (1 to 8)</source>
            <translation>„%1“ ist kein Kanal (1 bis 8)</translation>
        </message>
        <message>
            <source>"%1" is no state number</source>
            <translation>„%1“ ist keine Zustandsnummer</translation>
        </message>
        <message>
            <source>"%1" is no time in seconds</source>
            <translation>„%1“ ist keine Zeit in Sekunden</translation>
        </message>
        <message>
            <source>channel %1: only one channel of these lines is read</source>
            <translation>Kanal %1: von diesen Zeilen wird nur ein Kanal gelesen</translation>
        </message>
        <message>
            <source>the $C$ line names no column read as the battery's voltage</source>
            <translation>die $C$-Zeile nennt keine Spalte, die als Akkuspannung gelesen wird</translation>
        </message>
        <message>
            <source>$I$ needs a step in milliseconds</source>
            <translation>$I$ braucht einen Schritt in Millisekunden</translation>
        </message>
        <message>
            <source>"%1" is no start (ddMMyyyy_HHmmssfff)</source>
            <translation>„%1“ ist kein Beginn (ddMMyyyy_HHmmssfff)</translation>
        </message>
        <message>
            <source>$T$ needs the time's item and its format</source>
            <translation>$T$ braucht den Eintrag der Zeit und ihr Format</translation>
        </message>
        <message>
            <source>a data line before any $C$ line names the columns</source>
            <translation>eine Datenzeile, bevor eine $C$-Zeile die Spalten nennt</translation>
        </message>
        <message>
            <source>%1 items where the header says %2</source>
            <translation>%1 Einträge, wo der Kopf %2 nennt</translation>
        </message>
        <message>
            <source>"%1" does not match the time format "%2"</source>
            <translation>„%1“ passt nicht zum Zeitformat „%2“</translation>
        </message>
        <message>
            <source>"%1" is no date</source>
            <translation>„%1“ ist kein Datum</translation>
        </message>
        <message>
            <source>"%1" is no hex number</source>
            <translation>„%1“ ist keine Hexadezimalzahl</translation>
        </message>
        <message>
            <source>binary data (byte %1), not text</source>
            <translation>binäre Daten (Byte %1), kein Text</translation>
        </message>
        <message>
            <source>an OpenFormat line begins with $</source>
            <translation>eine OpenFormat-Zeile beginnt mit $</translation>
        </message>
        <message>
            <source>the line is longer than %1 bytes</source>
            <translation>die Zeile ist länger als %1 Bytes</translation>
        </message>
        <message>
            <source>the charger description of these lines (%1) is not installed</source>
            <translation>die Ladegerätbeschreibung dieser Zeilen (%1) ist nicht installiert</translation>
        </message>
        <message>
            <source>it holds no data line</source>
            <translation>sie enthält keine Datenzeile</translation>
        </message>
        <message>
            <source>the ==Data== header begins with "%1", not the time</source>
            <translation>der ==Data==-Kopf beginnt mit „%1“, nicht mit der Zeit</translation>
        </message>
        <message>
            <source>the ==Data== header names no battery voltage</source>
            <translation>der ==Data==-Kopf nennt keine Akkuspannung</translation>
        </message>
        <message>
            <source>the row ends after %1 of its %2 columns</source>
            <translation>die Zeile endet nach %1 ihrer %2 Spalten</translation>
        </message>
        <message>
            <source>the row has more than the header's %1 columns</source>
            <translation>die Zeile hat mehr als die %1 Spalten des Kopfes</translation>
        </message>
        <message>
            <source>"%1" is no time (h:m:s) and no row number</source>
            <translation>„%1“ ist weder eine Zeit (h:m:s) noch eine Zeilennummer</translation>
        </message>
        <message>
            <source>a second ==Data== section</source>
            <translation>ein zweiter ==Data==-Abschnitt</translation>
        </message>
        <message>
            <source>unknown section %1: a ToolkitRC log has ==Items==, ==Data==, ==End== and ==Error==</source>
            <translation>unbekannter Abschnitt %1: ein ToolkitRC-Protokoll hat ==Items==, ==Data==, ==End== und ==Error==</translation>
        </message>
        <message>
            <source>text before the first section: a ToolkitRC log begins with ==Items== or ==Data==</source>
            <translation>Text vor dem ersten Abschnitt: ein ToolkitRC-Protokoll beginnt mit ==Items== oder ==Data==</translation>
        </message>
        <message>
            <source>it has no ==Data== section: no ToolkitRC log</source>
            <translation>sie hat keinen ==Data==-Abschnitt: kein ToolkitRC-Protokoll</translation>
        </message>
        <message>
            <source>the ==Data== section holds no row</source>
            <translation>der ==Data==-Abschnitt enthält keine Zeile</translation>
        </message>
    </context>
    <context>
        <name>Menu</name>
        <message>
            <source>File</source>
            <translation>Datei</translation>
        </message>
        <message>
            <source>View</source>
            <translation>Ansicht</translation>
        </message>
        <message>
            <source>Help</source>
            <translation>Hilfe</translation>
        </message>
        <message>
            <source>Open…</source>
            <translation>Öffnen…</translation>
        </message>
        <message>
            <source>Recordings…</source>
            <translation>Aufzeichnungen…</translation>
        </message>
        <message>
            <source>Export</source>
            <translation>Exportieren</translation>
        </message>
        <message>
            <source>Print</source>
            <translation>Drucken</translation>
        </message>
        <message>
            <source>Language</source>
            <translation>Sprache</translation>
        </message>
        <message>
            <source>Exit</source>
            <translation>Beenden</translation>
        </message>
        <message>
            <source>Graph save as.</source>
            <translation>Diagramm speichern unter.</translation>
        </message>
        <message>
            <source>Copy</source>
            <translation>Kopieren</translation>
        </message>
        <message>
            <source>Reconnect to the same adapter</source>
            <translation>Mit demselben Adapter neu verbinden</translation>
        </message>
        <message>
            <source>Summary…</source>
            <translation>Zusammenfassung…</translation>
        </message>
        <message>
            <source>Zoom and pan</source>
            <translation>Zoomen und verschieben</translation>
        </message>
        <message>
            <source>Cell curves</source>
            <translation>Zellkurven</translation>
        </message>
        <message>
            <source>Range cursors</source>
            <translation>Bereichscursor</translation>
        </message>
        <message>
            <source>Export range…</source>
            <translation>Bereich exportieren…</translation>
        </message>
        <message>
            <source>Pack…</source>
            <translation>Akkupack…</translation>
        </message>
        <message>
            <source>The pack and a note for the present and following recordings</source>
            <translation>Akkupack und Notiz für die aktuelle und die folgenden Aufzeichnungen</translation>
        </message>
        <message>
            <source>Guid</source>
            <translation>Anleitung</translation>
        </message>
        <message>
            <source>About</source>
            <translation>Über</translation>
        </message>
        <message>
            <source>Capture the line…</source>
            <translation>Leitung mitschneiden…</translation>
        </message>
        <message>
            <source>Save</source>
            <translation>Speichern</translation>
        </message>
        <message>
            <source>Sound</source>
            <translation>Ton</translation>
        </message>
        <message>
            <source>Alarms…</source>
            <translation>Alarme…</translation>
        </message>
        <message>
            <source>All channels</source>
            <translation>Alle Kanäle</translation>
        </message>
        <message>
            <source>Chargers on the network…</source>
            <translation>Ladegeräte im Netzwerk…</translation>
        </message>
        <message>
            <source>Watch a charger…</source>
            <translation>Ladegerät beobachten…</translation>
        </message>
        <message>
            <source>Publish on the network…</source>
            <translation>Im Netzwerk veröffentlichen…</translation>
        </message>
        <message>
            <source>Share on the local network…</source>
            <translation>Im lokalen Netzwerk teilen…</translation>
        </message>
        <message>
            <source>Save and print on white paper</source>
            <translation>Auf weißem Papier speichern und drucken</translation>
        </message>
        <message>
            <source>Try the emulator</source>
            <translation>Emulator ausprobieren</translation>
        </message>
        <message>
            <source>Alarms</source>
            <translation>Alarme</translation>
        </message>
        <message>
            <source>Import…</source>
            <translation>Importieren…</translation>
        </message>
        <message>
            <source>Send to a database…</source>
            <translation>An eine Datenbank senden…</translation>
        </message>
    </context>
    <context>
        <name>ReadoutTitles</name>
        <message>
            <source>Voltage(V)</source>
            <translation>Spannung(V)</translation>
        </message>
        <message>
            <source>Current(A)</source>
            <translation>Strom(A)</translation>
        </message>
        <message>
            <source>Capacity(mAh)</source>
            <translation>Kap.(mAh)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>Extern(℃)</translation>
        </message>
        <message>
            <source>In.Voltage(V)</source>
            <translation>Eing.Spg.(V)</translation>
        </message>
        <message>
            <source>Status</source>
            <translation>Status</translation>
        </message>
        <message>
            <source>Batt.Type</source>
            <translation>Akkutyp</translation>
        </message>
        <message>
            <source>Batt.Count</source>
            <translation>Zellenzahl</translation>
        </message>
        <message>
            <source>Inner(℃)</source>
            <translation>Intern(℃)</translation>
        </message>
        <message>
            <source>Power(W)</source>
            <translation>Leistung(W)</translation>
        </message>
        <message>
            <source>Elapsed time</source>
            <translation>Laufzeit</translation>
        </message>
    </context>
    <context>
        <name>StatusBand</name>
        <message>
            <source>Connected.</source>
            <translation>Verbunden.</translation>
        </message>
        <message>
            <source>Capture data...</source>
            <translation>Daten werden erfasst...</translation>
        </message>
        <message>
            <source>Charger Model</source>
            <translation>Ladegerätmodell</translation>
        </message>
    </context>
    <context>
        <name>ToolBar</name>
        <message>
            <source>Connect</source>
            <translation>Verbinden</translation>
        </message>
        <message>
            <source>Through real or virtual serial port to connect to the charger Brontel</source>
            <translation>Über einen echten oder virtuellen seriellen Anschluss mit dem Ladegerät verbinden</translation>
        </message>
        <message>
            <source>Serial Port</source>
            <translation>Anschluss</translation>
        </message>
        <message>
            <source>Please choose a port, such as the connection is USB, it is generally Com 3</source>
            <translation>Bitte einen Anschluss wählen; bei USB ist es meist COM 3</translation>
        </message>
        <message>
            <source>Charger</source>
            <translation>Ladegerät</translation>
        </message>
        <message>
            <source>The kind of charger on this port (remembered for each port)</source>
            <translation>Art des Ladegeräts an diesem Anschluss (je Anschluss gemerkt)</translation>
        </message>
        <message>
            <source>Disconnect</source>
            <translation>Trennen</translation>
        </message>
        <message>
            <source>Disconnected communication</source>
            <translation>Verbindung getrennt</translation>
        </message>
        <message>
            <source>Export</source>
            <translation>Export</translation>
        </message>
        <message>
            <source>CrossLine</source>
            <translation>Fadenkreuz</translation>
        </message>
        <message>
            <source>Show/Hide cross line</source>
            <translation>Fadenkreuz ein-/ausblenden</translation>
        </message>
        <message>
            <source>Refresh</source>
            <translation>Neu</translation>
        </message>
        <message>
            <source>Refresh serial port or graph </source>
            <translation>Anschlüsse oder Diagramm aktualisieren </translation>
        </message>
        <message>
            <source>Print</source>
            <translation>Drucken</translation>
        </message>
        <message>
            <source>Language</source>
            <translation>Sprache</translation>
        </message>
        <message>
            <source>Please select a language on the right</source>
            <translation>Bitte rechts eine Sprache wählen</translation>
        </message>
        <message>
            <source>Show / Hide Cross Line</source>
            <translation>Fadenkreuz ein-/ausblenden</translation>
        </message>
    </context>
    <context>
        <name>Viewer</name>
        <message>
            <source>Cells Δ mV</source>
            <translation>Zellen Δ mV</translation>
        </message>
        <message>
            <source>Cell curves as the difference from the mean, in mV</source>
            <translation>Zellkurven als Abweichung vom Mittel, in mV</translation>
        </message>
    </context>
    <context>
        <name>ViewerStatus</name>
        <message>
            <source>Opened %1</source>
            <extracomment>%1 the file</extracomment>
            <translation>Geöffnet: %1</translation>
        </message>
        <message>
            <source>1 damaged line skipped</source>
            <translation>1 beschädigte Zeile übersprungen</translation>
        </message>
        <message>
            <source>%1 damaged lines skipped</source>
            <translation>%1 beschädigte Zeilen übersprungen</translation>
        </message>
        <message>
            <source>%1 values that are no measurement read as missing</source>
            <translation>%1 Werte ohne Messwert als fehlend gelesen</translation>
        </message>
        <message>
            <source>the file was cut short while it was read; only what was whole was opened</source>
            <translation>die Datei wurde beim Lesen gekürzt; nur der vollständige Teil wurde geöffnet</translation>
        </message>
    </context>
    <context>
        <name>WatchNotice</name>
        <message>
            <source>the charger went offline</source>
            <translation>das Ladegerät ist offline</translation>
        </message>
        <message>
            <source>the charger's connection began anew</source>
            <translation>die Verbindung des Ladegeräts hat neu begonnen</translation>
        </message>
        <message>
            <source>the charger's line was lost at the publisher</source>
            <translation>die Leitung zum Ladegerät ist beim Veröffentlicher unterbrochen</translation>
        </message>
        <message>
            <source>the broker went away: %1</source>
            <comment>lost</comment>
            <translation>die Verbindung zum Broker ist unterbrochen: %1</translation>
        </message>
        <message>
            <source>the broker went away: %1</source>
            <comment>unreachable</comment>
            <translation>der Broker ist nicht erreichbar: %1</translation>
        </message>
        <message>
            <source>skipped a start message that is no capture header</source>
            <translation>eine Startnachricht ohne Aufzeichnungskopf übersprungen</translation>
        </message>
        <message>
            <source>skipped a raw record of %1 bytes that is no capture record</source>
            <translation>einen Rohdatensatz von %1 Bytes übersprungen, der kein Aufzeichnungsdatensatz ist</translation>
        </message>
        <message>
            <source>skipped a raw record whose time is no date</source>
            <translation>einen Rohdatensatz übersprungen, dessen Zeit kein Datum ist</translation>
        </message>
        <message>
            <source>skipped a resume message that is none</source>
            <translation>eine ungültige Fortsetzungsnachricht übersprungen</translation>
        </message>
        <message>
            <source>the charger is there, but its messages are signed with another key than the one given</source>
            <translation>das Ladegerät ist da, aber seine Nachrichten sind mit einem anderen als dem angegebenen Schlüssel signiert</translation>
        </message>
        <message>
            <source>the charger is there, but its messages are signed: give its key file to watch it</source>
            <translation>das Ladegerät ist da, aber seine Nachrichten sind signiert: geben Sie seine Schlüsseldatei an, um es zu beobachten</translation>
        </message>
        <message>
            <source>the charger's newest signed messages were sent at %1, %2 min from this computer's clock: an earlier run, not taken as live; waiting for a live one</source>
            <extracomment>%1 when they were sent, %2 minutes</extracomment>
            <translation>die neuesten signierten Nachrichten des Ladegeräts wurden um %1 gesendet, %2 min von der Uhr dieses Computers entfernt: ein früherer Lauf, nicht als live genommen; warte auf einen laufenden</translation>
        </message>
        <message>
            <source>an unknown time</source>
            <translation>unbekannter Zeit</translation>
        </message>
        <message>
            <source>dropped %1 message(s) under %2 that are not signed with the charger's key or were published before (%3 in all)</source>
            <extracomment>%1 dropped since the last line, %2 the topics, %3 in all</extracomment>
            <translation>%1 Nachricht(en) unter %2 verworfen, die nicht mit dem Schlüssel des Ladegeräts signiert oder schon früher veröffentlicht waren (insgesamt %3)</translation>
        </message>
    </context>
    <context>
        <name>WorkProgress</name>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::AlarmSettingsDialog</name>
        <message>
            <source>Cell too high</source>
            <translation>Zellspannung zu hoch</translation>
        </message>
        <message>
            <source>LiIo/Po/Fe</source>
            <translation>LiIo/Po/Fe</translation>
        </message>
        <message>
            <source>Pb</source>
            <translation>Pb</translation>
        </message>
        <message>
            <source>Cell too low (discharging)</source>
            <translation>Zellspannung zu niedrig (Entladen)</translation>
        </message>
        <message>
            <source>Cells drift apart</source>
            <translation>Zellen driften auseinander</translation>
        </message>
        <message>
            <source>Spread</source>
            <translation>Spreizung</translation>
        </message>
        <message>
            <source>Temperature too high</source>
            <translation>Temperatur zu hoch</translation>
        </message>
        <message>
            <source>External</source>
            <translation>Extern</translation>
        </message>
        <message>
            <source>Internal</source>
            <translation>Intern</translation>
        </message>
        <message>
            <source>Input too low</source>
            <translation>Eingangsspannung zu niedrig</translation>
        </message>
        <message>
            <source>Input</source>
            <translation>Eingang</translation>
        </message>
        <message>
            <source>Charge finished</source>
            <translation>Laden beendet</translation>
        </message>
        <message>
            <source>Idle seconds</source>
            <translation>Sekunden Leerlauf</translation>
        </message>
        <message>
            <source>Charger stalled</source>
            <translation>Ladegerät antwortet nicht</translation>
        </message>
        <message>
            <source>Seconds without a row</source>
            <translation>Sekunden ohne neue Zeile</translation>
        </message>
        <message>
            <source>Link lost</source>
            <translation>Verbindung verloren</translation>
        </message>
        <message>
            <source>Once raised, an alarm is raised again only after its value has gone back past the limit by %1 (cells, spread), %2 (input) or %3 (temperature) and stayed there for %4 s.</source>
            <extracomment>%1 the cells' margin ("0.05 V"), %2 the input's, %3 the temperature's, %4 seconds</extracomment>
            <translation>Ein ausgelöster Alarm wird erst wieder ausgelöst, wenn sein Wert um %1 (Zellen, Spreizung), %2 (Eingang) oder %3 (Temperatur) hinter die Grenze zurückgegangen und %4 s dort geblieben ist.</translation>
        </message>
        <message>
            <source>Alarms</source>
            <translation>Alarme</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::CellPane</name>
        <message>
            <source>Cell - mean(mV)</source>
            <translation>Zelle - Mittel(mV)</translation>
        </message>
        <message>
            <source>Cells(V)</source>
            <translation>Zellen(V)</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ChannelCard</name>
        <message>
            <source>Channel %1: click to show it on the chart</source>
            <translation>Kanal %1: Klick zeigt ihn im Diagramm</translation>
        </message>
        <message>
            <source>ALARM</source>
            <translation>ALARM</translation>
        </message>
        <message>
            <source>Worst: —</source>
            <translation>Schw.: —</translation>
        </message>
        <message>
            <source>Worst %1: %2 V</source>
            <translation>Schw. %1: %2 V</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::DatabaseDialog</name>
        <message>
            <source>Send to a database</source>
            <translation>An eine Datenbank senden</translation>
        </message>
        <message>
            <source>Send every row and alarm to the database</source>
            <translation>Jede Zeile und jeden Alarm an die Datenbank senden</translation>
        </message>
        <message>
            <source>A token, or USER:PASSWORD, on its first line</source>
            <translation>In der ersten Zeile ein Token oder BENUTZER:PASSWORT</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>Durchsuchen…</translation>
        </message>
        <message>
            <source>Write address:</source>
            <translation>Schreibadresse:</translation>
        </message>
        <message>
            <source>Sign-in file:</source>
            <translation>Anmeldedatei:</translation>
        </message>
        <message>
            <source>This is no database write address: give one of the forms above (a sign-in goes in the file, never in the address).</source>
            <translation>Das ist keine Schreibadresse einer Datenbank: Geben Sie eine der obigen Formen an (eine Anmeldung gehört in die Datei, nie in die Adresse).</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::DatabaseSending</name>
        <message>
            <source>Send to a database…</source>
            <translation>An eine Datenbank senden…</translation>
        </message>
        <message>
            <source>Database: unreachable</source>
            <translation>Datenbank: nicht erreichbar</translation>
        </message>
        <message>
            <source>Database: rows refused</source>
            <translation>Datenbank: Zeilen abgelehnt</translation>
        </message>
        <message numerus="yes">
            <source>Database: %n rows dropped</source>
            <translation>
                <numerusform>Datenbank: %n Zeilen verworfen</numerusform>
                <numerusform>Datenbank: %n Zeilen verworfen</numerusform>
            </translation>
        </message>
        <message>
            <source>Rows go to %1; View &gt; Send to a database… changes or stops it</source>
            <translation>Zeilen gehen an %1; Ansicht &gt; An eine Datenbank senden… ändert oder beendet das</translation>
        </message>
        <message>
            <source>Rows are not sent: %1 is no database write address</source>
            <translation>Es werden keine Zeilen gesendet: %1 ist keine Schreibadresse einer Datenbank</translation>
        </message>
        <message>
            <source>Rows are not sent: the sign-in file %1 cannot be read</source>
            <translation>Es werden keine Zeilen gesendet: die Anmeldedatei %1 kann nicht gelesen werden</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::HelpPane</name>
        <message>
            <source>The help page ad.htm is missing beside the program.</source>
            <translation>Die Hilfeseite ad.htm fehlt neben dem Programm.</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ImportDialog</name>
        <message>
            <source>Import logs</source>
            <translation>Protokolle importieren</translation>
        </message>
        <message>
            <source>ToolkitRC SD-card logs, OpenFormat logs and tables of this program from another computer become recordings of the pack chosen below.</source>
            <translation>ToolkitRC-SD-Karten-Protokolle, OpenFormat-Protokolle und Tabellen dieses Programms von einem anderen Computer werden zu Aufzeichnungen des unten gewählten Akkupacks.</translation>
        </message>
        <message>
            <source>Choose files…</source>
            <translation>Dateien wählen…</translation>
        </message>
        <message>
            <source>No file chosen</source>
            <translation>Keine Datei gewählt</translation>
        </message>
        <message>
            <source>Files:</source>
            <translation>Dateien:</translation>
        </message>
        <message>
            <source>a known pack, or a new name</source>
            <translation>ein bekanntes Pack oder ein neuer Name</translation>
        </message>
        <message>
            <source>Pack:</source>
            <translation>Akkupack:</translation>
        </message>
        <message>
            <source>Logs that do not tell their date were recorded on</source>
            <translation>Protokolle ohne eigenes Datum wurden aufgezeichnet am</translation>
        </message>
        <message>
            <source>Date:</source>
            <translation>Datum:</translation>
        </message>
        <message>
            <source>%v of %m files</source>
            <translation>%v von %m Dateien</translation>
        </message>
        <message>
            <source>Import</source>
            <translation>Importieren</translation>
        </message>
        <message>
            <source>Choose logs to import</source>
            <translation>Zu importierende Protokolle wählen</translation>
        </message>
        <message>
            <source>All logs that can be imported (*.xls *.XLS *.txt *.log *.csv *.CSV)</source>
            <translation>Alle importierbaren Protokolle (*.xls *.XLS *.txt *.log *.csv *.CSV)</translation>
        </message>
        <message>
            <source>ToolkitRC SD-card logs (*.xls *.XLS)</source>
            <translation>ToolkitRC-SD-Karten-Protokolle (*.xls *.XLS)</translation>
        </message>
        <message>
            <source>OpenFormat logs (*.txt *.log)</source>
            <translation>OpenFormat-Protokolle (*.txt *.log)</translation>
        </message>
        <message>
            <source>Cellwatch tables and journals (*.csv *.CSV *.txt)</source>
            <translation>Cellwatch-Tabellen und -Journale (*.csv *.CSV *.txt)</translation>
        </message>
        <message>
            <source>All files (*)</source>
            <translation>Alle Dateien (*)</translation>
        </message>
        <message numerus="yes">
            <source>%n files</source>
            <translation>
                <numerusform>%n Dateien</numerusform>
                <numerusform>%n Dateien</numerusform>
            </translation>
        </message>
        <message numerus="yes">
            <source>%1: imported as %2 (%n rows)</source>
            <translation>
                <numerusform>%1: importiert als %2 (%n Zeilen)</numerusform>
                <numerusform>%1: importiert als %2 (%n Zeilen)</numerusform>
            </translation>
        </message>
        <message>
            <source>%1: skipped, already imported as %2</source>
            <translation>%1: übersprungen, bereits importiert als %2</translation>
        </message>
        <message>
            <source>%1: refused: %2</source>
            <translation>%1: abgelehnt: %2</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::LineSharing</name>
        <message>
            <source>The capture stopped: %1</source>
            <translation>Mitschnitt abgebrochen: %1</translation>
        </message>
        <message>
            <source>Publishing on %1 needs its password: View &gt; Publish on the network…</source>
            <translation>Die Veröffentlichung auf %1 braucht das Passwort: Ansicht &gt; Im Netzwerk veröffentlichen…</translation>
        </message>
        <message>
            <source>Cannot publish: %1</source>
            <translation>Veröffentlichen nicht möglich: %1</translation>
        </message>
        <message>
            <source>Publishing on %1</source>
            <translation>Veröffentlichung auf %1</translation>
        </message>
        <message>
            <source>Publishing stopped (offline)</source>
            <translation>Veröffentlichung beendet (offline)</translation>
        </message>
        <message>
            <source>Capture the line</source>
            <translation>Leitung mitschneiden</translation>
        </message>
        <message>
            <source>Capture (*.cwcap)</source>
            <translation>Mitschnitt (*.cwcap)</translation>
        </message>
        <message>
            <source>Capturing the line to %1</source>
            <translation>Leitung wird nach %1 mitgeschnitten</translation>
        </message>
        <message>
            <source>Capturing the line to %1 from the next recording on</source>
            <translation>Leitung wird ab der nächsten Aufzeichnung nach %1 mitgeschnitten</translation>
        </message>
        <message>
            <source>The capture ended; it is kept in %1</source>
            <translation>Mitschnitt beendet; gespeichert in %1</translation>
        </message>
        <message>
            <source>the password file %1 can be read by others (mode %2); it should be private to you: chmod 600 %1</source>
            <extracomment>%1 the file, %2 its mode ("0644")</extracomment>
            <translation>die Passwortdatei %1 ist für andere lesbar (Modus %2); sie sollte nur Ihnen gehören: chmod 600 %1</translation>
        </message>
        <message>
            <source>the key file %1 can be read by others (mode %2); it should be private to you: chmod 600 %1</source>
            <extracomment>%1 the file, %2 its mode ("0644")</extracomment>
            <translation>die Schlüsseldatei %1 ist für andere lesbar (Modus %2); sie sollte nur Ihnen gehören: chmod 600 %1</translation>
        </message>
        <message>
            <source>the password of %1 goes to the broker %2 unencrypted (mqtt://): anyone on the way can read it; use mqtts:// to protect it</source>
            <extracomment>%1 the user, %2 the broker ("example.org:1883")</extracomment>
            <translation>Das Passwort von %1 geht unverschlüsselt (mqtt://) an den Broker %2: jeder auf dem Weg kann es lesen; schützen Sie es mit mqtts://</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::MainWindow</name>
        <message>
            <source>the device was removed</source>
            <translation>das Gerät wurde entfernt</translation>
        </message>
        <message>
            <source>the device stopped working</source>
            <translation>das Gerät arbeitet nicht mehr</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>Öffnen</translation>
        </message>
        <message>
            <source>Recordings (*.csv)</source>
            <translation>Aufzeichnungen (*.csv)</translation>
        </message>
        <message>
            <source>All files (*)</source>
            <translation>Alle Dateien (*)</translation>
        </message>
        <message>
            <source>Cannot connect: %1</source>
            <extracomment>%1 why, in the system's or the link's own words (English)</extracomment>
            <translation>Verbindung nicht möglich: %1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::NetworkListDialog</name>
        <message>
            <source>Chargers on the network</source>
            <translation>Ladegeräte im Netzwerk</translation>
        </message>
        <message>
            <source>Charger</source>
            <translation>Ladegerät</translation>
        </message>
        <message>
            <source>Status</source>
            <translation>Status</translation>
        </message>
        <message>
            <source>State</source>
            <translation>Zustand</translation>
        </message>
        <message>
            <source>Voltage (V)</source>
            <translation>Spannung (V)</translation>
        </message>
        <message>
            <source>Current (A)</source>
            <translation>Strom (A)</translation>
        </message>
        <message>
            <source>Capacity (mAh)</source>
            <translation>Kapazität (mAh)</translation>
        </message>
        <message>
            <source>Worst cell (V)</source>
            <translation>Schwächste Zelle (V)</translation>
        </message>
        <message>
            <source>Alarm</source>
            <translation>Alarm</translation>
        </message>
        <message>
            <source>Chargers on %1</source>
            <translation>Ladegeräte auf %1</translation>
        </message>
        <message>
            <source>Connecting to %1…</source>
            <translation>Verbinde mit %1…</translation>
        </message>
        <message>
            <source> — %1 more not listed (the list shows %2)</source>
            <extracomment>%1 how many chargers, %2 the most the list shows</extracomment>
            <translation> — %1 weitere nicht aufgeführt (die Liste zeigt %2)</translation>
        </message>
        <message>
            <source> — %1 implausible rows dropped</source>
            <translation> — %1 unplausible Zeilen verworfen</translation>
        </message>
        <message>
            <source>Broker (mqtt://[USER@]HOST[:PORT] or mqtts://…):</source>
            <translation>Broker (mqtt://[BENUTZER@]HOST[:PORT] oder mqtts://…):</translation>
        </message>
        <message>
            <source>Password of %1 on %2:</source>
            <translation>Passwort von %1 auf %2:</translation>
        </message>
        <message>
            <source>Cannot list the chargers on the network: %1</source>
            <extracomment>%1 why, in the words of the part that failed</extracomment>
            <translation>Die Ladegeräte im Netzwerk können nicht aufgelistet werden: %1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::NetworkWatch</name>
        <message>
            <source>no charger %1 on %2: waiting</source>
            <extracomment>%1 the charger's name, %2 the broker ("127.0.0.1:1883")</extracomment>
            <translation>kein Ladegerät %1 auf %2: warte</translation>
        </message>
        <message>
            <source>Waiting for %1</source>
            <translation>Warte auf %1</translation>
        </message>
        <message>
            <source>Watching %1</source>
            <translation>Beobachte %1</translation>
        </message>
        <message>
            <source>The link to the charger was lost (%1)</source>
            <extracomment>%1 why</extracomment>
            <translation>Die Verbindung zum Ladegerät ist unterbrochen (%1)</translation>
        </message>
        <message>
            <source>Password of %1 on %2:</source>
            <extracomment>%1 the user, %2 the broker</extracomment>
            <translation>Passwort von %1 auf %2:</translation>
        </message>
        <message>
            <source>Cannot watch the charger: %1</source>
            <extracomment>%1 why, in the words of the part that failed</extracomment>
            <translation>Das Ladegerät kann nicht beobachtet werden: %1</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PackDialog</name>
        <message>
            <source>Pack</source>
            <translation>Akkupack</translation>
        </message>
        <message>
            <source>The pack and a note for this recording.</source>
            <translation>Akkupack und Notiz dieser Aufzeichnung.</translation>
        </message>
        <message>
            <source>The pack of the present and the following recordings (kept until changed).</source>
            <translation>Das Akkupack der laufenden und der folgenden Aufzeichnungen (bleibt bis zur Änderung).</translation>
        </message>
        <message>
            <source>(no pack)</source>
            <translation>(kein Akkupack)</translation>
        </message>
        <message>
            <source>(not known)</source>
            <translation>(unbekannt)</translation>
        </message>
        <message>
            <source>not known</source>
            <translation>unbekannt</translation>
        </message>
        <message>
            <source>Leave this recording out of the pack's history</source>
            <translation>Diese Aufzeichnung aus dem Verlauf des Akkupacks herausnehmen</translation>
        </message>
        <message>
            <source>Leave the present recording out of the pack's history</source>
            <translation>Die laufende Aufzeichnung aus dem Verlauf des Akkupacks herausnehmen</translation>
        </message>
        <message>
            <source>Pack name:</source>
            <translation>Name des Akkupacks:</translation>
        </message>
        <message>
            <source>Note:</source>
            <translation>Notiz:</translation>
        </message>
        <message>
            <source>Chemistry:</source>
            <translation>Zellchemie:</translation>
        </message>
        <message>
            <source>Cells:</source>
            <translation>Zellen:</translation>
        </message>
        <message>
            <source>Nominal capacity:</source>
            <translation>Nennkapazität:</translation>
        </message>
        <message>
            <source>Cell high alarm (V):</source>
            <translation>Alarm Zellspannung hoch (V):</translation>
        </message>
        <message>
            <source>Cell low alarm (V):</source>
            <translation>Alarm Zellspannung niedrig (V):</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>%1 (the %2 default)</source>
            <extracomment>%1 the chemistry's limit in volts, %2 the chemistry ("LiPo")</extracomment>
            <translation>%1 (Vorgabe für %2)</translation>
        </message>
        <message>
            <source>(as in the alarm settings)</source>
            <translation>(wie in den Alarmeinstellungen)</translation>
        </message>
        <message>
            <source>Cell high</source>
            <translation>Zellspannung hoch</translation>
        </message>
        <message>
            <source>Cell low</source>
            <translation>Zellspannung niedrig</translation>
        </message>
        <message>
            <source>%1 is no number: give 0.5 to 5 V, or leave it empty</source>
            <extracomment>%1 the limit's name ("Cell high")</extracomment>
            <translation>%1 ist keine Zahl: 0,5 bis 5 V angeben oder leer lassen</translation>
        </message>
        <message>
            <source>%1 must be from 0.5 to 5 V (empty: the chemistry's)</source>
            <translation>%1 muss zwischen 0,5 und 5 V liegen (leer: Wert der Zellchemie)</translation>
        </message>
        <message>
            <source>Cell low (%1 V) must be below cell high (%2 V)</source>
            <translation>Zellspannung niedrig (%1 V) muss unter Zellspannung hoch (%2 V) liegen</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PackHealthView</name>
        <message>
            <source>Reading…</source>
            <translation>Wird gelesen…</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PackHistoryChart</name>
        <message>
            <source>Charge capacity (mAh)</source>
            <translation>Ladekapazität (mAh)</translation>
        </message>
        <message>
            <source>Charge energy (Wh)</source>
            <translation>Ladeenergie (Wh)</translation>
        </message>
        <message>
            <source>Discharge capacity (mAh)</source>
            <translation>Entladekapazität (mAh)</translation>
        </message>
        <message>
            <source>Discharge energy (Wh)</source>
            <translation>Entladeenergie (Wh)</translation>
        </message>
        <message>
            <source>Largest spread (V)</source>
            <translation>Größte Differenz (V)</translation>
        </message>
        <message>
            <source>Date</source>
            <translation>Datum</translation>
        </message>
        <message>
            <source>Spread (V)</source>
            <translation>Differenz (V)</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PageSharing</name>
        <message>
            <source>The live page cannot be served: %1</source>
            <extracomment>%1 why (from the server, in English)</extracomment>
            <translation>Die Live-Seite kann nicht bereitgestellt werden: %1</translation>
        </message>
        <message>
            <source>Page: this computer</source>
            <translation>Seite: dieser Computer</translation>
        </message>
        <message>
            <source>Page: every interface %1</source>
            <extracomment>%1 the port (":8080")</extracomment>
            <translation>Seite: alle Schnittstellen %1</translation>
        </message>
        <message>
            <source>Page: local network %1</source>
            <extracomment>%1 the address and port ("192.168.1.5:8080")</extracomment>
            <translation>Seite: lokales Netzwerk %1</translation>
        </message>
        <message>
            <source>The live page is served; View &gt; Share on the local network… changes or stops it</source>
            <translation>Die Live-Seite wird bereitgestellt; Ansicht &gt; Im lokalen Netzwerk freigeben… ändert oder beendet das</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::PublishDialog</name>
        <message>
            <source>Publish on the network</source>
            <translation>Im Netzwerk veröffentlichen</translation>
        </message>
        <message>
            <source>Publish this charger</source>
            <translation>Dieses Ladegerät veröffentlichen</translation>
        </message>
        <message>
            <source>mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…</source>
            <translation>mqtt://[BENUTZER@]HOST[:PORT]/NAME oder mqtts://…</translation>
        </message>
        <message>
            <source>not kept; unused with a password file</source>
            <translation>wird nicht gespeichert; mit Passwortdatei nicht benutzt</translation>
        </message>
        <message>
            <source>Home Assistant discovery</source>
            <translation>Home-Assistant-Erkennung</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>Adresse:</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>Passwort:</translation>
        </message>
        <message>
            <source>Password file:</source>
            <translation>Passwortdatei:</translation>
        </message>
        <message>
            <source>CA file (mqtts):</source>
            <translation>CA-Datei (mqtts):</translation>
        </message>
        <message>
            <source>empty: the system's authorities</source>
            <translation>leer: Zertifizierungsstellen des Systems</translation>
        </message>
        <message>
            <source>Key file:</source>
            <translation>Schlüsseldatei:</translation>
        </message>
        <message>
            <source>empty: unsigned</source>
            <translation>leer: unsigniert</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>Durchsuchen…</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::RecordingsDialog</name>
        <message>
            <source>All packs</source>
            <translation>Alle Akkupacks</translation>
        </message>
        <message>
            <source>Recordings</source>
            <translation>Aufzeichnungen</translation>
        </message>
        <message>
            <source>Leave out of the pack's history</source>
            <translation>Aus dem Verlauf des Akkupacks herausnehmen</translation>
        </message>
        <message>
            <source>Open</source>
            <translation>Öffnen</translation>
        </message>
        <message>
            <source>Delete</source>
            <translation>Löschen</translation>
        </message>
        <message>
            <source>Show folder</source>
            <translation>Ordner zeigen</translation>
        </message>
        <message>
            <source>Close</source>
            <translation>Schließen</translation>
        </message>
        <message>
            <source>Pack:</source>
            <translation>Akkupack:</translation>
        </message>
        <message>
            <source>Reading %1 of %2 recordings…</source>
            <extracomment>%1 the recordings read so far, %2 all of them</extracomment>
            <translation>Lese %1 von %2 Aufzeichnungen…</translation>
        </message>
        <message>
            <source>%1 — %2 in %3 recordings</source>
            <extracomment>%1 the folder, %2 its size, %3 how many recordings</extracomment>
            <translation>%1 — %2 in %3 Aufzeichnungen</translation>
        </message>
        <message>
            <source>Delete %1 recording(s)? This cannot be undone.</source>
            <translation>%1 Aufzeichnung(en) löschen? Das lässt sich nicht rückgängig machen.</translation>
        </message>
        <message>
            <source>Started</source>
            <translation>Beginn</translation>
        </message>
        <message>
            <source>Duration</source>
            <translation>Dauer</translation>
        </message>
        <message>
            <source>Rows</source>
            <translation>Zeilen</translation>
        </message>
        <message>
            <source>Battery</source>
            <translation>Akkutyp</translation>
        </message>
        <message>
            <source>Kind</source>
            <translation>Art</translation>
        </message>
        <message>
            <source>Capacity (mAh)</source>
            <translation>Kapazität (mAh)</translation>
        </message>
        <message>
            <source>Charge / discharge</source>
            <translation>Laden / Entladen</translation>
        </message>
        <message>
            <source>Energy (Wh)</source>
            <translation>Energie (Wh)</translation>
        </message>
        <message>
            <source>Largest spread (V)</source>
            <translation>Max. Spreizung (V)</translation>
        </message>
        <message>
            <source>Pack</source>
            <translation>Akkupack</translation>
        </message>
        <message>
            <source>Cells</source>
            <translation>Zellen</translation>
        </message>
        <message>
            <source>Alarms</source>
            <translation>Alarme</translation>
        </message>
        <message>
            <source>Size</source>
            <translation>Größe</translation>
        </message>
        <message>
            <source>Left out of the pack's history</source>
            <translation>Aus dem Verlauf des Akkupacks herausgenommen</translation>
        </message>
        <message>
            <source>(unreadable)</source>
            <translation>(nicht lesbar)</translation>
        </message>
        <message>
            <source>Yes</source>
            <translation>Ja</translation>
        </message>
        <message>
            <source>No</source>
            <translation>Nein</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ShareDialog</name>
        <message>
            <source>Share on the local network</source>
            <translation>Im lokalen Netzwerk freigeben</translation>
        </message>
        <message>
            <source>Share a live page (read-only)</source>
            <translation>Live-Seite freigeben (nur lesen)</translation>
        </message>
        <message>
            <source>The local network (none: this computer only)</source>
            <extracomment>%1 this computer's address on the local network</extracomment>
            <translation>Lokales Netzwerk (keins: nur dieser Computer)</translation>
        </message>
        <message>
            <source>The local network (%1)</source>
            <translation>Lokales Netzwerk (%1)</translation>
        </message>
        <message>
            <source>This computer only (127.0.0.1)</source>
            <translation>Nur dieser Computer (127.0.0.1)</translation>
        </message>
        <message>
            <source>All interfaces</source>
            <translation>Alle Netzwerkschnittstellen</translation>
        </message>
        <message>
            <source>A named address</source>
            <translation>Eine bestimmte Adresse</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>Adresse:</translation>
        </message>
        <message>
            <source>Port:</source>
            <translation>Port:</translation>
        </message>
        <message>
            <source>Anyone holding this address can look. A new address makes the old one stop working.</source>
            <translation>Wer diese Adresse kennt, kann zusehen. Eine neue Adresse macht die alte sofort ungültig.</translation>
        </message>
        <message>
            <source>New address</source>
            <translation>Neue Adresse</translation>
        </message>
        <message>
            <source>'%1' is no IP address</source>
            <translation>„%1“ ist keine IP-Adresse</translation>
        </message>
        <message>
            <source>Not shared.</source>
            <translation>Nicht freigegeben.</translation>
        </message>
        <message>
            <source>No QR code: %1 opens on this computer only, a phone cannot reach it. Choose the local network's address.</source>
            <extracomment>%1 the loopback address served on</extracomment>
            <translation>Kein QR-Code: %1 öffnet sich nur auf diesem Computer, ein Telefon erreicht es nicht. Wählen Sie die Adresse im lokalen Netzwerk.</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::SharingClaim</name>
        <message>
            <source>Another Cellwatch window serves the live page and publishes; this window leaves both off</source>
            <translation>Ein anderes Cellwatch-Fenster stellt die Live-Seite bereit und veröffentlicht; dieses Fenster lässt beides aus</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::SummaryView</name>
        <message>
            <source>charge</source>
            <translation>Laden</translation>
        </message>
        <message>
            <source>discharge</source>
            <translation>Entladen</translation>
        </message>
        <message>
            <source>mixed</source>
            <translation>gemischt</translation>
        </message>
        <message>
            <source>start</source>
            <translation>Beginn</translation>
        </message>
        <message>
            <source>(not recorded)</source>
            <translation>(nicht aufgezeichnet)</translation>
        </message>
        <message>
            <source>battery</source>
            <translation>Akkutyp</translation>
        </message>
        <message>
            <source>kind</source>
            <translation>Art</translation>
        </message>
        <message>
            <source>rows</source>
            <translation>Zeilen</translation>
        </message>
        <message>
            <source>duration</source>
            <translation>Dauer</translation>
        </message>
        <message>
            <source>capacity</source>
            <translation>Kapazität</translation>
        </message>
        <message>
            <source>energy</source>
            <translation>Energie</translation>
        </message>
        <message>
            <source>current</source>
            <translation>Strom</translation>
        </message>
        <message>
            <source>mean %1 A, largest %2 A</source>
            <translation>Mittel %1 A, höchstens %2 A</translation>
        </message>
        <message>
            <source>voltage</source>
            <translation>Spannung</translation>
        </message>
        <message>
            <source>first %1 V, last %2 V, highest %3 V</source>
            <translation>zuerst %1 V, zuletzt %2 V, höchstens %3 V</translation>
        </message>
        <message>
            <source>temperature</source>
            <translation>Temperatur</translation>
        </message>
        <message>
            <source>external up to %1 °C, internal up to %2 °C</source>
            <translation>extern bis %1 °C, intern bis %2 °C</translation>
        </message>
        <message>
            <source>cells</source>
            <translation>Zellen</translation>
        </message>
        <message>
            <source>none</source>
            <translation>keine</translation>
        </message>
        <message>
            <source>%1 (last %2 V)</source>
            <translation>%1 (zuletzt %2 V)</translation>
        </message>
        <message>
            <source>largest spread</source>
            <translation>größte Spreizung</translation>
        </message>
        <message>
            <source>%1 V at %2</source>
            <translation>%1 V bei %2</translation>
        </message>
        <message>
            <source>pack</source>
            <translation>Akkupack</translation>
        </message>
        <message>
            <source>(none)</source>
            <translation>(keins)</translation>
        </message>
        <message>
            <source>note</source>
            <translation>Notiz</translation>
        </message>
        <message>
            <source>more phases</source>
            <translation>weitere Phasen</translation>
        </message>
        <message>
            <source>%1 more (cellwatch-report lists every one)</source>
            <translation>%1 weitere (cellwatch-report listet alle auf)</translation>
        </message>
        <message>
            <source>phase %1</source>
            <translation>Phase %1</translation>
        </message>
        <message>
            <source>efficiency</source>
            <translation>Wirkungsgrad</translation>
        </message>
        <message>
            <source>resistance</source>
            <translation>Innenwiderstand</translation>
        </message>
        <message>
            <source>charger resistance</source>
            <translation>Innenwiderstand laut Ladegerät</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::SummaryWindow</name>
        <message>
            <source>Summary</source>
            <translation>Zusammenfassung</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ViewerOverlays</name>
        <message>
            <source>Compare with…</source>
            <translation>Vergleichen mit…</translation>
        </message>
        <message>
            <source>Lay other recordings over the chart, each from its start</source>
            <translation>Andere Aufzeichnungen über das Diagramm legen, jede ab ihrem Beginn</translation>
        </message>
        <message>
            <source>Remove %1</source>
            <translation>%1 entfernen</translation>
        </message>
        <message>
            <source>Remove all</source>
            <translation>Alle entfernen</translation>
        </message>
        <message>
            <source>Compare with</source>
            <translation>Vergleichen mit</translation>
        </message>
        <message>
            <source>Recordings (*.csv)</source>
            <translation>Aufzeichnungen (*.csv)</translation>
        </message>
        <message>
            <source>All files (*)</source>
            <translation>Alle Dateien (*)</translation>
        </message>
        <message>
            <source>%1 cannot be compared: %2</source>
            <translation>%1 lässt sich nicht vergleichen: %2</translation>
        </message>
        <message>
            <source>At most %1 recordings can be compared at once; %2 file(s) not added</source>
            <translation>Höchstens %1 Aufzeichnungen lassen sich gleichzeitig vergleichen; %2 Datei(en) nicht hinzugefügt</translation>
        </message>
        <message>
            <source>Comparing with %1</source>
            <translation>Vergleich mit %1</translation>
        </message>
        <message>
            <source>Opening %1</source>
            <translation>%1 wird geöffnet</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Removed %1</source>
            <translation>%1 entfernt</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::ViewerWindow</name>
        <message>
            <source>Change this recording's pack and note</source>
            <translation>Akkupack und Notiz dieser Aufzeichnung ändern</translation>
        </message>
        <message>
            <source>Cells Δ mV</source>
            <translation>Zellen Δ mV</translation>
        </message>
        <message>
            <source>Cell curves as the difference from the mean, in mV</source>
            <translation>Zellkurven als Abweichung vom Mittelwert, in mV</translation>
        </message>
        <message>
            <source>Summary</source>
            <translation>Zusammenfassung</translation>
        </message>
        <message>
            <source>Readouts</source>
            <translation>Messwerte</translation>
        </message>
        <message>
            <source>Cells</source>
            <translation>Zellen</translation>
        </message>
        <message>
            <source> — pack %1</source>
            <translation> — Akkupack %1</translation>
        </message>
        <message>
            <source>The pack could not be kept</source>
            <translation>Das Akkupack konnte nicht gespeichert werden</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::WatchConnectDialog</name>
        <message>
            <source>Watch a charger</source>
            <translation>Ladegerät beobachten</translation>
        </message>
        <message>
            <source>mqtt://[USER@]HOST[:PORT]/NAME</source>
            <translation>mqtt://[BENUTZER@]HOST[:PORT]/NAME</translation>
        </message>
        <message>
            <source>only with USER@ in the address; not kept</source>
            <translation>nur mit BENUTZER@ in der Adresse; wird nicht gespeichert</translation>
        </message>
        <message>
            <source>empty: unsigned messages count</source>
            <translation>leer: unsignierte Nachrichten zählen</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>Durchsuchen…</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>Adresse:</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>Passwort:</translation>
        </message>
        <message>
            <source>Key file:</source>
            <translation>Schlüsseldatei:</translation>
        </message>
        <message>
            <source>OK</source>
            <translation>OK</translation>
        </message>
        <message>
            <source>Cancel</source>
            <translation>Abbrechen</translation>
        </message>
        <message>
            <source>Cannot watch the charger: %1</source>
            <extracomment>%1 why, in the words of the part that failed</extracomment>
            <translation>Das Ladegerät kann nicht beobachtet werden: %1</translation>
        </message>
    </context>
</TS>
