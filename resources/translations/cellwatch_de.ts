<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
    <context>
        <name>NetworkList</name>
        <message>
            <source>Chargers on the network…</source>
            <translation>Ladegeräte im Netzwerk…</translation>
        </message>
        <message>
            <source>Watch a charger…</source>
            <translation>Ladegerät beobachten…</translation>
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
        <name>cellwatch::HelpPane</name>
        <message>
            <source>The help page ad.htm is missing beside the program.</source>
            <translation>Die Hilfeseite ad.htm fehlt neben dem Programm.</translation>
        </message>
    </context>
    <context>
        <name>cellwatch::LineSharing</name>
        <message>
            <source>The capture stopped: %1</source>
            <translation>Mitschnitt abgebrochen: %1</translation>
        </message>
        <message>
            <source>Capture the line…</source>
            <translation>Leitung mitschneiden…</translation>
        </message>
        <message>
            <source>Publish on the network…</source>
            <translation>Im Netzwerk veröffentlichen…</translation>
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
            <source>the charger went offline</source>
            <translation>das Ladegerät ist offline</translation>
        </message>
        <message>
            <source>the charger's connection began anew</source>
            <translation>die Verbindung des Ladegeräts hat neu begonnen</translation>
        </message>
        <message>
            <source>the link to the broker was lost</source>
            <translation>die Verbindung zum Broker ist unterbrochen</translation>
        </message>
        <message>
            <source>the broker cannot be reached</source>
            <translation>der Broker ist nicht erreichbar</translation>
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
        <message>
            <source>Share on the local network…</source>
            <translation>Im lokalen Netzwerk freigeben…</translation>
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
            <source>Browse…</source>
            <translation>Durchsuchen…</translation>
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
            <source>Reading…</source>
            <translation>Wird gelesen…</translation>
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
    </context>
</TS>
