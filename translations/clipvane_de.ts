<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutPage</name>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Web site</source>
        <translation>Website</translation>
    </message>
</context>
<context>
    <name>AboutText</name>
    <message>
        <source>Version %1.%2.0.%3</source>
        <translation>Version %1.%2.0.%3</translation>
    </message>
    <message>
        <source>Clipvane is an easy to use program to download video files from google,youtube,iFilm and other 9 video sharing sites to your PC.</source>
        <translation>Clipvane ist ein einfach zu bedienendes Programm, das Videodateien von Google, YouTube, iFilm und 9 weiteren Videoportalen auf Ihren PC herunterlädt.</translation>
    </message>
</context>
<context>
    <name>ConsoleMessageBox</name>
    <message>
        <source>[answered No]</source>
        <translation>[mit Nein beantwortet]</translation>
    </message>
</context>
<context>
    <name>DesktopNotices</name>
    <message>
        <source>Downloads finished</source>
        <translation>Downloads beendet</translation>
    </message>
    <message>
        <source>%1 complete, %2 failed</source>
        <translation>%1 fertig, %2 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Download complete</source>
        <translation>Download fertig</translation>
    </message>
    <message>
        <source>Download failed</source>
        <translation>Download fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>DownloadGrid</name>
    <message>
        <source>Video URL</source>
        <translation>Video-URL</translation>
    </message>
    <message>
        <source>Local File Name</source>
        <translation>Lokaler Dateiname</translation>
    </message>
    <message>
        <source>Download Status</source>
        <translation>Download-Status</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Größe</translation>
    </message>
</context>
<context>
    <name>DownloadListStore</name>
    <message>
        <source>An error occured while filling the Download list<byte value="xd"/>7:Out of memory</source>
        <translation>Beim Füllen der Downloadliste ist ein Fehler aufgetreten<byte value="xd"/>7:Nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>An error occured while filling the Download list<byte value="xd"/>51:Internal error: </source>
        <translation>Beim Füllen der Downloadliste ist ein Fehler aufgetreten<byte value="xd"/>51:Interner Fehler: </translation>
    </message>
</context>
<context>
    <name>DownloadQueue</name>
    <message>
        <source>Empty List</source>
        <translation>Leere Liste</translation>
    </message>
    <message>
        <source>Please add video URL&apos;s first.</source>
        <translation>Bitte fügen Sie zuerst Video-URLs hinzu.</translation>
    </message>
    <message>
        <source>Are you sure that you want to cancel downloading?</source>
        <translation>Möchten Sie das Herunterladen wirklich abbrechen?</translation>
    </message>
    <message>
        <source>You are not connected to the internet, Please connect first then try again</source>
        <translation>Sie sind nicht mit dem Internet verbunden. Bitte stellen Sie zuerst eine Verbindung her und versuchen Sie es dann erneut.</translation>
    </message>
    <message>
        <source>%1 % kept</source>
        <translation>%1 % behalten</translation>
    </message>
</context>
<context>
    <name>FileNameEditor</name>
    <message>
        <source>Nothing is left of the name &quot;%1&quot; once the characters a file name may not hold are dropped; the item keeps its name.</source>
        <translation>Vom Namen „%1“ bleibt nichts übrig, wenn die Zeichen entfallen, die ein Dateiname nicht enthalten darf; der Eintrag behält seinen Namen.</translation>
    </message>
</context>
<context>
    <name>GetCommand</name>
    <message>
        <source>no supported site in the address</source>
        <translation>keine unterstützte Website in der Adresse</translation>
    </message>
    <message>
        <source>the page could not be fetched</source>
        <translation>die Seite konnte nicht abgerufen werden</translation>
    </message>
    <message>
        <source>no video address found in the page</source>
        <translation>keine Videoadresse auf der Seite gefunden</translation>
    </message>
    <message>
        <source>Try &apos;clipvane-get --help&apos;.</source>
        <translation>Siehe &apos;clipvane-get --help&apos;.</translation>
    </message>
    <message>
        <source>Downloads the videos of the given page addresses, one after the other, into the download directory. Progress goes to standard error; when the run ends, one line per item goes to standard output: ID, Status, FileName, FileSize and Video_URL, separated by tabs. Exit status: 0 when every item is Complete (or, with --print-url, every address resolved), 1 otherwise, 2 for a usage error.</source>
        <translation>Lädt die Videos der angegebenen Seitenadressen nacheinander in den Download-Ordner herunter. Der Fortschritt erscheint auf der Standardfehlerausgabe; am Ende des Durchlaufs steht auf der Standardausgabe eine Zeile je Eintrag: ID, Status, FileName, FileSize und Video_URL, durch Tabulatoren getrennt. Rückgabewert: 0, wenn jeder Eintrag Complete ist (bzw. mit --print-url jede Adresse aufgelöst wurde), sonst 1, 2 bei falschem Aufruf.</translation>
    </message>
    <message>
        <source>Download into &lt;DIR&gt; instead of the download directory setting.</source>
        <translation>In &lt;DIR&gt; statt in den eingestellten Download-Ordner herunterladen.</translation>
    </message>
    <message>
        <source>Only find each page&apos;s video address and print it (or the result code and why); download nothing.</source>
        <translation>Nur die Videoadresse jeder Seite suchen und ausgeben (oder den Ergebniscode und den Grund); nichts herunterladen.</translation>
    </message>
    <message>
        <source>Start even when no network interface but loopback is up (for servers on this machine).</source>
        <translation>Auch starten, wenn keine Netzwerkschnittstelle außer Loopback aktiv ist (für Server auf diesem Rechner).</translation>
    </message>
    <message>
        <source>Also find the video on pages of sites that are not supported, and take addresses of video files themselves (the window&apos;s setting does not apply here).</source>
        <translation>Das Video auch auf Seiten nicht unterstützter Websites suchen und Adressen von Videodateien selbst annehmen (die Einstellung des Fensters gilt hier nicht).</translation>
    </message>
    <message>
        <source>Try a transfer that breaks off, or that the server cannot serve for now, up to &lt;N&gt; more times (default %1; 0: one try only). What has arrived is kept in NAME.part, and each try, like a later run, asks only for the rest.</source>
        <translation>Eine abgebrochene Übertragung oder eine, die der Server gerade nicht bedienen kann, bis zu &lt;N&gt;-mal erneut versuchen (Standard %1; 0: nur ein Versuch). Was bereits angekommen ist, bleibt in NAME.part, und jeder Versuch fordert, wie ein späterer Durchlauf, nur den Rest an.</translation>
    </message>
    <message>
        <source>Which quality of a stream to save: best, 1080, 720, 480 or smallest (default: the Quality setting).</source>
        <translation>Welche Qualität eines Streams gespeichert wird: best, 1080, 720, 480 oder smallest (Standard: die Einstellung Quality).</translation>
    </message>
    <message>
        <source>Fetch up to &lt;N&gt; fragments of a stream at a time, 1 to 16 (default %1).</source>
        <translation>Bis zu &lt;N&gt; Fragmente eines Streams gleichzeitig abrufen, 1 bis 16 (Standard %1).</translation>
    </message>
    <message>
        <source>Video page addresses.</source>
        <translation>Adressen von Videoseiten.</translation>
    </message>
    <message>
        <source>no address given</source>
        <translation>keine Adresse angegeben</translation>
    </message>
    <message>
        <source>--dir needs a directory</source>
        <translation>--dir braucht einen Ordner</translation>
    </message>
    <message>
        <source>--retries needs a number of 0 or more</source>
        <translation>--retries braucht eine Zahl ab 0</translation>
    </message>
    <message>
        <source>--quality needs best, 1080, 720, 480 or smallest</source>
        <translation>--quality braucht best, 1080, 720, 480 oder smallest</translation>
    </message>
    <message>
        <source>--fragments needs a number from 1 to 16</source>
        <translation>--fragments braucht eine Zahl von 1 bis 16</translation>
    </message>
    <message>
        <source>With --any-site, read other sites&apos; pages with the rule for any page alone, without asking yt-dlp.</source>
        <translation>Mit --any-site die Seiten anderer Websites allein mit der Regel für beliebige Seiten lesen, ohne yt-dlp zu fragen.</translation>
    </message>
    <message>
        <source>The yt-dlp program to ask for the media of other sites&apos; pages (default: the setting, else yt-dlp on PATH, else ~/.local/bin/yt-dlp).</source>
        <translation>Das yt-dlp-Programm, das nach den Medien der Seiten anderer Websites gefragt wird (Standard: die Einstellung, sonst yt-dlp im PATH, sonst ~/.local/bin/yt-dlp).</translation>
    </message>
    <message>
        <source>An address yt-dlp reports as a playlist adds each of its videos (at most %1) as an item of its own.</source>
        <translation>Eine Adresse, die yt-dlp als Wiedergabeliste meldet, fügt jedes ihrer Videos (höchstens %1) als eigenen Eintrag hinzu.</translation>
    </message>
    <message>
        <source>Have yt-dlp use the cookies of browser &lt;NAME&gt;: %1.</source>
        <translation>yt-dlp die Cookies des Browsers &lt;NAME&gt; verwenden lassen: %1.</translation>
    </message>
    <message>
        <source>Have yt-dlp use the cookies in &lt;FILE&gt; (Netscape format).</source>
        <translation>yt-dlp die Cookies aus &lt;FILE&gt; verwenden lassen (Netscape-Format).</translation>
    </message>
    <message>
        <source>Fetch a file over up to &lt;N&gt; connections at once where its server serves ranges, 1 to 16 (default: the Connections per download setting, %1 at first).</source>
        <translation>Eine Datei über bis zu &lt;N&gt; Verbindungen zugleich laden, wo ihr Server Bereiche liefert, 1 bis 16 (Standard: die Einstellung „Verbindungen pro Download“, anfangs %1).</translation>
    </message>
    <message>
        <source>Download at most &lt;RATE&gt; bytes per second, all connections together (500K, 2M; K and M are 1024 and 1024 x 1024). Default: the speed limit setting (none at first).</source>
        <translation>Höchstens &lt;RATE&gt; Bytes pro Sekunde laden, alle Verbindungen zusammen (500K, 2M; K und M sind 1024 und 1024 x 1024). Standard: die Einstellung des Tempolimits (anfangs keines).</translation>
    </message>
    <message>
        <source>--cookies-from-browser needs one of %1</source>
        <translation>--cookies-from-browser braucht einen von: %1</translation>
    </message>
    <message>
        <source>--connections needs a number from 1 to 16</source>
        <translation>--connections braucht eine Zahl von 1 bis 16</translation>
    </message>
    <message>
        <source>--limit-rate needs a rate such as 500K or 2M</source>
        <translation>--limit-rate braucht eine Rate wie 500K oder 2M</translation>
    </message>
</context>
<context>
    <name>ItemActions</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Copy address</source>
        <translation>Adresse kopieren</translation>
    </message>
</context>
<context>
    <name>ListKeeper</name>
    <message>
        <source>The download list is kept by another Clipvane program, so this window starts with an empty list that is not kept.</source>
        <translation>Die Downloadliste wird von einem anderen Clipvane-Programm geführt; dieses Fenster beginnt daher mit einer leeren Liste, die nicht gespeichert wird.</translation>
    </message>
    <message>
        <source>It could not be moved aside and will be replaced.</source>
        <translation>Sie konnte nicht beiseitegelegt werden und wird ersetzt.</translation>
    </message>
    <message>
        <source>It was kept as %1.</source>
        <translation>Sie wurde als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>The saved download list could not be read (%1), so the list starts empty. %2</source>
        <translation>Die gespeicherte Downloadliste konnte nicht gelesen werden (%1), daher beginnt die Liste leer. %2</translation>
    </message>
    <message>
        <source>The download list could not be saved: %1. It stays in this window and is saved again at the next change.</source>
        <translation>Die Downloadliste konnte nicht gespeichert werden: %1. Sie bleibt in diesem Fenster und wird bei der nächsten Änderung erneut gespeichert.</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Minimise</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Hide in the notification area</source>
        <translation>Im Infobereich verbergen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Video page address</source>
        <translation>Adresse der Videoseite</translation>
    </message>
    <message>
        <source>Paste the address of a video&apos;s page</source>
        <translation>Adresse einer Videoseite einfügen</translation>
    </message>
    <message>
        <source>Add to list</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Add to download list</source>
        <translation>Zur Downloadliste hinzufügen</translation>
    </message>
    <message>
        <source>Download list</source>
        <translation>Downloadliste</translation>
    </message>
    <message>
        <source>Downloading to %1</source>
        <translation>Herunterladen nach %1</translation>
    </message>
    <message>
        <source>Saving to %1</source>
        <translation>Speichern in %1</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>Stop downloading</source>
        <translation>Herunterladen stoppen</translation>
    </message>
    <message>
        <source>Start downloading</source>
        <translation>Herunterladen starten</translation>
    </message>
    <message>
        <source>Added videos appear here</source>
        <translation>Hinzugefügte Videos erscheinen hier</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Alle wählen</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Remove selected</source>
        <translation>Auswahl entfernen</translation>
    </message>
    <message>
        <source>Remove selected items</source>
        <translation>Ausgewählte Einträge entfernen</translation>
    </message>
    <message>
        <source>Remove Selected Items</source>
        <translation>Ausgewählte Einträge entfernen</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Eintrag nach oben</translation>
    </message>
    <message>
        <source>Move Item Up</source>
        <translation>Eintrag nach oben verschieben</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Eintrag nach unten verschieben</translation>
    </message>
    <message>
        <source>Clear completed</source>
        <translation>Fertige entfernen</translation>
    </message>
    <message>
        <source>Clear completed items</source>
        <translation>Fertige Einträge entfernen</translation>
    </message>
    <message>
        <source>Clear Completed items</source>
        <translation>Fertige Einträge entfernen</translation>
    </message>
    <message>
        <source>Watching the clipboard: copied video page addresses are added and downloaded.</source>
        <translation>Die Zwischenablage wird überwacht: kopierte Adressen von Videoseiten werden hinzugefügt und heruntergeladen.</translation>
    </message>
    <message>
        <source>Clipboard watching is off. Turn it on in Settings.</source>
        <translation>Die Überwachung der Zwischenablage ist aus. Schalten Sie sie in den Einstellungen ein.</translation>
    </message>
    <message>
        <source>Minimise (the desktop has no notification area)</source>
        <translation>Minimieren (der Desktop hat keinen Benachrichtigungsbereich)</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
</context>
<context>
    <name>PageTab</name>
    <message>
        <source>Downloading</source>
        <translation>Lädt herunter</translation>
    </message>
</context>
<context>
    <name>RunPresenter</name>
    <message>
        <source>Start Downloading</source>
        <translation>Herunterladen starten</translation>
    </message>
    <message>
        <source>Stop Downloading</source>
        <translation>Herunterladen stoppen</translation>
    </message>
    <message>
        <source> · %1 of %2</source>
        <translation> · %1 von %2</translation>
    </message>
</context>
<context>
    <name>SettingsPage</name>
    <message>
        <source>Download folder</source>
        <translation>Download-Ordner</translation>
    </message>
    <message>
        <source>Downloaded videos are saved in this folder.</source>
        <translation>Heruntergeladene Videos werden in diesem Ordner gespeichert.</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Durchsuchen…</translation>
    </message>
    <message>
        <source>Browse for the download folder</source>
        <translation>Download-Ordner auswählen</translation>
    </message>
    <message>
        <source>Clipboard</source>
        <translation>Zwischenablage</translation>
    </message>
    <message>
        <source>When a copied address belongs to a supported video site (or to any site, with the option below), it joins the list and downloading starts by itself.</source>
        <translation>Gehört eine kopierte Adresse zu einem unterstützten Videoportal (oder, mit der Option unten, zu einer beliebigen Website), kommt sie in die Liste und das Herunterladen beginnt von selbst.</translation>
    </message>
    <message>
        <source>Monitor video URL&apos;s in clipboard and automatically add and download</source>
        <translation>Video-URLs in der Zwischenablage überwachen, automatisch hinzufügen und herunterladen</translation>
    </message>
    <message>
        <source>Other sites</source>
        <translation>Andere Websites</translation>
    </message>
    <message>
        <source>Pages that name their video the standard way, and links straight to a video file.</source>
        <translation>Seiten, die ihr Video auf die übliche Weise angeben, und Links direkt auf eine Videodatei.</translation>
    </message>
    <message>
        <source>Also find videos on pages of other sites</source>
        <translation>Videos auch auf Seiten anderer Websites finden</translation>
    </message>
    <message>
        <source>Quality: %1</source>
        <translation>Qualität: %1</translation>
    </message>
    <message>
        <source>Notify when downloads finish</source>
        <translation>Benachrichtigen, wenn Downloads enden</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Best</source>
        <translation>Beste</translation>
    </message>
    <message>
        <source>Smallest</source>
        <translation>Kleinste</translation>
    </message>
    <message>
        <source>With other sites on, yt-dlp finds the video first; this program downloads it.</source>
        <translation>Bei eingeschalteten anderen Websites findet yt-dlp zuerst das Video; dieses Programm lädt es herunter.</translation>
    </message>
    <message>
        <source>yt-dlp program</source>
        <translation>yt-dlp-Programm</translation>
    </message>
    <message>
        <source>yt-dlp program (empty: yt-dlp on PATH)</source>
        <translation>yt-dlp-Programm (leer: yt-dlp im PATH)</translation>
    </message>
    <message>
        <source>Playlist addresses add every video</source>
        <translation>Wiedergabelisten fügen jedes Video hinzu</translation>
    </message>
    <message>
        <source>Cookies from browser: %1</source>
        <translation>Cookies aus dem Browser: %1</translation>
    </message>
    <message>
        <source>Transfers</source>
        <translation>Übertragungen</translation>
    </message>
    <message>
        <source>Connections per download</source>
        <translation>Verbindungen pro Download</translation>
    </message>
    <message>
        <source>Fewer connections</source>
        <translation>Weniger Verbindungen</translation>
    </message>
    <message>
        <source>More connections</source>
        <translation>Mehr Verbindungen</translation>
    </message>
    <message>
        <source>Limit download speed to</source>
        <translation>Download-Tempo begrenzen auf</translation>
    </message>
    <message>
        <source>Speed limit in KiB/s</source>
        <translation>Tempolimit in KiB/s</translation>
    </message>
    <message>
        <source>KiB/s</source>
        <translation>KiB/s</translation>
    </message>
</context>
<context>
    <name>ShownListText</name>
    <message>
        <source>Waiting</source>
        <translation>Wartend</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>FEHLER</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Link is not supported</source>
        <translation>Link wird nicht unterstützt</translation>
    </message>
    <message>
        <source>Start Downloading...</source>
        <translation>Download beginnt...</translation>
    </message>
    <message>
        <source>Preparing...</source>
        <translation>Vorbereitung...</translation>
    </message>
    <message>
        <source>Preparing (%1%)</source>
        <translation>Vorbereitung (%1 %)</translation>
    </message>
    <message>
        <source>Retrying (%1/%2)…</source>
        <translation>Neuer Versuch (%1/%2)…</translation>
    </message>
    <message>
        <source>%1 so far..</source>
        <translation>%1 bisher..</translation>
    </message>
    <message>
        <source>Waiting (Auto Detect)</source>
        <translation>Wartend (automatische Erkennung)</translation>
    </message>
    <message>
        <source>Un supported link</source>
        <translation>Nicht unterstützter Link</translation>
    </message>
    <message>
        <source>Process failed.</source>
        <translation>Vorgang fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Enter File Name</source>
        <translation>Dateinamen eingeben</translation>
    </message>
    <message>
        <source>No supported site matches this address</source>
        <translation>Keine unterstützte Website passt zu dieser Adresse</translation>
    </message>
    <message>
        <source>The page names no video file</source>
        <translation>Die Seite nennt keine Videodatei</translation>
    </message>
    <message>
        <source>Video may be inappropriate and can not be downloaded</source>
        <translation>Das Video ist möglicherweise ungeeignet und kann nicht heruntergeladen werden</translation>
    </message>
    <message>
        <source>The page could not be fetched</source>
        <translation>Die Seite konnte nicht abgerufen werden</translation>
    </message>
    <message>
        <source>The server sent a web page, not a video file</source>
        <translation>Der Server hat eine Webseite gesendet, keine Videodatei</translation>
    </message>
    <message>
        <source>The server answered %1; nothing was saved</source>
        <translation>Der Server antwortete %1; nichts wurde gespeichert</translation>
    </message>
    <message>
        <source>Could not find Url</source>
        <translation>URL nicht gefunden</translation>
    </message>
    <message>
        <source>Could not read URL</source>
        <translation>URL konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>Cannot write %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The stream was not saved</source>
        <translation>Der Stream wurde nicht gespeichert</translation>
    </message>
    <message>
        <source>The address names no streaming playlist</source>
        <translation>Die Adresse nennt keine Streaming-Playlist</translation>
    </message>
    <message>
        <source>The playlist is too large</source>
        <translation>Die Playlist ist zu groß</translation>
    </message>
    <message>
        <source>The playlist could not be fetched: %1</source>
        <translation>Die Playlist konnte nicht abgerufen werden: %1</translation>
    </message>
    <message>
        <source>Live streams are not supported</source>
        <translation>Livestreams werden nicht unterstützt</translation>
    </message>
    <message>
        <source>The stream is protected (DRM) and cannot be saved</source>
        <translation>Der Stream ist geschützt (DRM) und kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>The stream&apos;s playlist cannot be read (%1)</source>
        <translation>Die Playlist des Streams kann nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>The stream&apos;s playlist holds nothing to save</source>
        <translation>Die Playlist des Streams enthält nichts zum Speichern</translation>
    </message>
    <message>
        <source>The stream has more than %1 fragments</source>
        <translation>Der Stream hat mehr als %1 Fragmente</translation>
    </message>
    <message>
        <source>The stream&apos;s playlist refers to itself</source>
        <translation>Die Playlist des Streams verweist auf sich selbst</translation>
    </message>
    <message>
        <source>The stream holds no video or audio</source>
        <translation>Der Stream enthält weder Video noch Ton</translation>
    </message>
    <message>
        <source>Could not write the record of %1</source>
        <translation>Der Vermerk zu %1 konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not open %1: %2</source>
        <translation>%1 konnte nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The server answered %1 %2 times</source>
        <translation>Der Server antwortete %2-mal %1</translation>
    </message>
    <message>
        <source>The server answered %1</source>
        <translation>Der Server antwortete %1</translation>
    </message>
    <message>
        <source>The connection to %1 was refused</source>
        <translation>Die Verbindung zu %1 wurde abgelehnt</translation>
    </message>
    <message>
        <source>The connection to %1 broke off %2 times</source>
        <translation>Die Verbindung zu %1 brach %2-mal ab</translation>
    </message>
    <message>
        <source>The connection to %1 broke off</source>
        <translation>Die Verbindung zu %1 brach ab</translation>
    </message>
    <message>
        <source>The host %1 was not found</source>
        <translation>Der Host %1 wurde nicht gefunden</translation>
    </message>
    <message>
        <source>%1 sent nothing for %2 s</source>
        <translation>%1 sendete %2 s lang nichts</translation>
    </message>
    <message>
        <source>The secure connection to %1 could not be made</source>
        <translation>Die sichere Verbindung zu %1 kam nicht zustande</translation>
    </message>
    <message>
        <source>The address %1 cannot be fetched</source>
        <translation>Die Adresse %1 kann nicht abgerufen werden</translation>
    </message>
    <message>
        <source>%1 never finished its answer&apos;s headers</source>
        <translation>%1 hat die Kopfzeilen seiner Antwort nie beendet</translation>
    </message>
</context>
<context>
    <name>TransferMeter</name>
    <message>
        <source>about %1 s left</source>
        <translation>noch etwa %1 s</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>noch etwa %1 min</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>noch etwa %1 h %2 min</translation>
    </message>
    <message>
        <source> of %1</source>
        <translation> von %1</translation>
    </message>
    <message>
        <source>stalled</source>
        <translation>stockt</translation>
    </message>
</context>
<context>
    <name>YoutubeResolver</name>
    <message>
        <source>Connection Error,</source>
        <translation>Verbindungsfehler,</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Add to download list</source>
        <translation>Zur Downloadliste hinzufügen</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Type or paste the video-file URL:-</source>
        <translation>URL der Videodatei eingeben oder einfügen:</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>The help document is not installed with the program.</source>
        <translation>Das Hilfedokument ist nicht mit dem Programm installiert.</translation>
    </message>
    <message>
        <source>No program opened the help document. You can open it yourself: %1</source>
        <translation>Kein Programm hat das Hilfedokument geöffnet. Sie können es selbst öffnen: %1</translation>
    </message>
    <message>
        <source>Download is in Progress, Are you sure that you want to exit?</source>
        <translation>Ein Download läuft. Möchten Sie das Programm wirklich beenden?</translation>
    </message>
    <message>
        <source>Monitor video URL&apos;s in clipboard and automatically add and download</source>
        <translation>Video-URLs in der Zwischenablage überwachen, automatisch hinzufügen und herunterladen</translation>
    </message>
    <message>
        <source>Please select the desired Download directory then press Ok.</source>
        <translation>Bitte wählen Sie den gewünschten Download-Ordner und klicken Sie dann auf OK.</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Remove Selected Items</source>
        <translation>Ausgewählte Einträge entfernen</translation>
    </message>
    <message>
        <source>Move Item Up</source>
        <translation>Eintrag nach oben verschieben</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Eintrag nach unten verschieben</translation>
    </message>
    <message>
        <source>Clear Completed items</source>
        <translation>Fertige Einträge entfernen</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>not found</source>
        <translation>nicht gefunden</translation>
    </message>
</context>
<context>
    <name>frmMenu</name>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
    <message>
        <source>This form is just to hold the tray menu.</source>
        <translation>Dieses Fenster hält nur das Menü des Infobereichs.</translation>
    </message>
    <message>
        <source>Monitor Video URL&apos;s in Clipboard</source>
        <translation>Video-URLs in der Zwischenablage überwachen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Exit Clipvane</source>
        <translation>Clipvane beenden</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Downloads the videos of video pages. Addresses given here are added to the download list; when the program already runs, they are handed to it.</source>
        <translation>Lädt die Videos von Videoseiten herunter. Hier angegebene Adressen kommen in die Downloadliste; läuft das Programm bereits, werden sie ihm übergeben.</translation>
    </message>
    <message>
        <source>Start downloading even when no network interface but loopback is up (for servers on this machine).</source>
        <translation>Herunterladen auch starten, wenn keine Netzwerkschnittstelle außer Loopback aktiv ist (für Server auf diesem Rechner).</translation>
    </message>
    <message>
        <source>Video page addresses.</source>
        <translation>Adressen von Videoseiten.</translation>
    </message>
</context>
<context>
    <name>modDialog</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
