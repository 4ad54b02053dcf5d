<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
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
        <message>
            <source>Summary</source>
            <translation>Zusammenfassung</translation>
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
            <source>Pack</source>
            <translation>Akkupack</translation>
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
            <source>(no pack)</source>
            <translation>(kein Akkupack)</translation>
        </message>
        <message>
            <source>The pack of the present and the following recordings (kept until changed).</source>
            <translation>Akkupack der aktuellen und der folgenden Aufzeichnungen (bleibt bis zur Änderung).</translation>
        </message>
        <message>
            <source>The pack and a note for this recording.</source>
            <translation>Akkupack und Notiz dieser Aufzeichnung.</translation>
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
            <source> — pack %1</source>
            <translation> — Akkupack %1</translation>
        </message>
        <message>
            <source>Change this recording's pack and note</source>
            <translation>Akkupack und Notiz dieser Aufzeichnung ändern</translation>
        </message>
        <message>
            <source>The pack could not be kept</source>
            <translation>Das Akkupack konnte nicht gespeichert werden</translation>
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
            <source>Opening %1</source>
            <translation>Öffne %1</translation>
        </message>
        <message>
            <source>Exporting %1</source>
            <translation>Exportiere %1</translation>
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
            <source>Chargers on the network…</source>
            <translation>Ladegeräte im Netzwerk…</translation>
        </message>
        <message>
            <source>Publish on the network…</source>
            <translation>Im Netzwerk veröffentlichen…</translation>
        </message>
        <message>
            <source>Publish on the network</source>
            <translation>Im Netzwerk veröffentlichen</translation>
        </message>
        <message>
            <source>Publish this charger</source>
            <translation>Dieses Ladegerät veröffentlichen</translation>
        </message>
        <message>
            <source>Address:</source>
            <translation>Adresse:</translation>
        </message>
        <message>
            <source>mqtt://[USER@]HOST[:PORT]/NAME or mqtts://…</source>
            <translation>mqtt://[BENUTZER@]HOST[:PORT]/NAME oder mqtts://…</translation>
        </message>
        <message>
            <source>Password:</source>
            <translation>Passwort:</translation>
        </message>
        <message>
            <source>not kept; unused with a password file</source>
            <translation>nicht gespeichert; mit Passwortdatei unbenutzt</translation>
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
            <translation>leer: die Zertifizierungsstellen des Systems</translation>
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
            <source>Home Assistant discovery</source>
            <translation>Home-Assistant-Erkennung</translation>
        </message>
        <message>
            <source>Browse…</source>
            <translation>Durchsuchen…</translation>
        </message>
        <message>
            <source>Publishing on %1</source>
            <translation>Veröffentlicht auf %1</translation>
        </message>
        <message>
            <source>Publishing stopped (offline)</source>
            <translation>Veröffentlichen beendet (offline)</translation>
        </message>
        <message>
            <source>Publishing on %1 needs its password: View &gt; Publish on the network…</source>
            <translation>Veröffentlichen auf %1 braucht das Passwort: Ansicht &gt; Im Netzwerk veröffentlichen…</translation>
        </message>
        <message>
            <source>Cannot publish: %1</source>
            <translation>Veröffentlichen nicht möglich: %1</translation>
        </message>
        <message>
            <source>Capture the line…</source>
            <translation>Leitung mitschneiden…</translation>
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
            <translation>Mitschnitt beendet; er liegt in %1</translation>
        </message>
        <message>
            <source>The capture stopped: %1</source>
            <translation>Mitschnitt angehalten: %1</translation>
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
        <message>
            <source>Try the emulator</source>
            <translation>Emulator ausprobieren</translation>
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
            <translation>Kapazität(mAh)</translation>
        </message>
        <message>
            <source>External(℃)</source>
            <translation>Extern(℃)</translation>
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
        <name>MainWindow</name>
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
            <translation>Kapazität(mAh)</translation>
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
            <translation>Exportieren</translation>
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
            <translation>Aktualisieren</translation>
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
</TS>
