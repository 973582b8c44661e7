<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>AboutPage</name>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>Web site</source>
        <translation>Sitio web</translation>
    </message>
</context>
<context>
    <name>AboutText</name>
    <message>
        <source>Version %1.%2.0.%3</source>
        <translation>Versión %1.%2.0.%3</translation>
    </message>
    <message>
        <source>Clipvane is an easy to use program to download video files from google,youtube,iFilm and other 9 video sharing sites to your PC.</source>
        <translation>Clipvane es un programa fácil de usar para descargar archivos de vídeo de Google, YouTube, iFilm y otros 9 sitios de vídeos a su PC.</translation>
    </message>
</context>
<context>
    <name>ConsoleMessageBox</name>
    <message>
        <source>[answered No]</source>
        <translation>[respondido No]</translation>
    </message>
</context>
<context>
    <name>DesktopNotices</name>
    <message>
        <source>Downloads finished</source>
        <translation>Descargas terminadas</translation>
    </message>
    <message>
        <source>%1 complete, %2 failed</source>
        <translation>%1 completadas, %2 fallidas</translation>
    </message>
    <message>
        <source>Download complete</source>
        <translation>Descarga completada</translation>
    </message>
    <message>
        <source>Download failed</source>
        <translation>Descarga fallida</translation>
    </message>
</context>
<context>
    <name>DownloadGrid</name>
    <message>
        <source>Video URL</source>
        <translation>URL del vídeo</translation>
    </message>
    <message>
        <source>Local File Name</source>
        <translation>Nombre de archivo</translation>
    </message>
    <message>
        <source>Download Status</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Tamaño</translation>
    </message>
</context>
<context>
    <name>DownloadListStore</name>
    <message>
        <source>An error occured while filling the Download list<byte value="xd"/>7:Out of memory</source>
        <translation>Se produjo un error al llenar la lista de descargas<byte value="xd"/>7:Memoria insuficiente</translation>
    </message>
    <message>
        <source>An error occured while filling the Download list<byte value="xd"/>51:Internal error: </source>
        <translation>Se produjo un error al llenar la lista de descargas<byte value="xd"/>51:Error interno: </translation>
    </message>
</context>
<context>
    <name>DownloadQueue</name>
    <message>
        <source>Empty List</source>
        <translation>Lista vacía</translation>
    </message>
    <message>
        <source>Please add video URL&apos;s first.</source>
        <translation>Añada primero las URL de los vídeos.</translation>
    </message>
    <message>
        <source>Are you sure that you want to cancel downloading?</source>
        <translation>¿Seguro que desea cancelar la descarga?</translation>
    </message>
    <message>
        <source>You are not connected to the internet, Please connect first then try again</source>
        <translation>No está conectado a Internet. Conéctese primero y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>%1 % kept</source>
        <translation>%1 % conservado</translation>
    </message>
</context>
<context>
    <name>FileNameEditor</name>
    <message>
        <source>Nothing is left of the name &quot;%1&quot; once the characters a file name may not hold are dropped; the item keeps its name.</source>
        <translation>No queda nada del nombre «%1» al quitar los caracteres que un nombre de archivo no puede contener; el elemento conserva su nombre.</translation>
    </message>
</context>
<context>
    <name>GetCommand</name>
    <message>
        <source>no supported site in the address</source>
        <translation>ningún sitio compatible en la dirección</translation>
    </message>
    <message>
        <source>the page could not be fetched</source>
        <translation>no se pudo obtener la página</translation>
    </message>
    <message>
        <source>no video address found in the page</source>
        <translation>no se encontró ninguna dirección de vídeo en la página</translation>
    </message>
    <message>
        <source>Try &apos;clipvane-get --help&apos;.</source>
        <translation>Pruebe &apos;clipvane-get --help&apos;.</translation>
    </message>
    <message>
        <source>Downloads the videos of the given page addresses, one after the other, into the download directory. Progress goes to standard error; when the run ends, one line per item goes to standard output: ID, Status, FileName, FileSize and Video_URL, separated by tabs. Exit status: 0 when every item is Complete (or, with --print-url, every address resolved), 1 otherwise, 2 for a usage error.</source>
        <translation>Descarga los vídeos de las direcciones de página indicadas, uno tras otro, en la carpeta de descargas. El progreso se muestra en la salida de error estándar; al terminar, la salida estándar recibe una línea por elemento: ID, Status, FileName, FileSize y Video_URL, separados por tabuladores. Código de salida: 0 si todos los elementos están en Complete (o, con --print-url, si se resolvieron todas las direcciones), 1 en caso contrario, 2 si el uso es incorrecto.</translation>
    </message>
    <message>
        <source>Download into &lt;DIR&gt; instead of the download directory setting.</source>
        <translation>Descargar en &lt;DIR&gt; en lugar de la carpeta de descargas configurada.</translation>
    </message>
    <message>
        <source>Only find each page&apos;s video address and print it (or the result code and why); download nothing.</source>
        <translation>Solo buscar la dirección del vídeo de cada página e imprimirla (o el código de resultado y el motivo); no descargar nada.</translation>
    </message>
    <message>
        <source>Start even when no network interface but loopback is up (for servers on this machine).</source>
        <translation>Empezar aunque no haya ninguna interfaz de red activa salvo loopback (para servidores en este equipo).</translation>
    </message>
    <message>
        <source>Also find the video on pages of sites that are not supported, and take addresses of video files themselves (the window&apos;s setting does not apply here).</source>
        <translation>Buscar también el vídeo en páginas de sitios no compatibles y aceptar direcciones de archivos de vídeo (el ajuste de la ventana no se aplica aquí).</translation>
    </message>
    <message>
        <source>Try a transfer that breaks off, or that the server cannot serve for now, up to &lt;N&gt; more times (default %1; 0: one try only). What has arrived is kept in NAME.part, and each try, like a later run, asks only for the rest.</source>
        <translation>Reintentar hasta &lt;N&gt; veces una transferencia que se interrumpe o que el servidor no puede atender por ahora (por defecto %1; 0: un solo intento). Lo recibido se guarda en NAME.part, y cada intento, como una ejecución posterior, solo pide el resto.</translation>
    </message>
    <message>
        <source>Which quality of a stream to save: best, 1080, 720, 480 or smallest (default: the Quality setting).</source>
        <translation>Qué calidad de una emisión guardar: best, 1080, 720, 480 o smallest (por defecto: el ajuste Quality).</translation>
    </message>
    <message>
        <source>Fetch up to &lt;N&gt; fragments of a stream at a time, 1 to 16 (default %1).</source>
        <translation>Obtener hasta &lt;N&gt; fragmentos de una emisión a la vez, de 1 a 16 (por defecto %1).</translation>
    </message>
    <message>
        <source>Video page addresses.</source>
        <translation>Direcciones de páginas de vídeo.</translation>
    </message>
    <message>
        <source>no address given</source>
        <translation>no se indicó ninguna dirección</translation>
    </message>
    <message>
        <source>--dir needs a directory</source>
        <translation>--dir necesita una carpeta</translation>
    </message>
    <message>
        <source>--retries needs a number of 0 or more</source>
        <translation>--retries necesita un número igual o mayor que 0</translation>
    </message>
    <message>
        <source>--quality needs best, 1080, 720, 480 or smallest</source>
        <translation>--quality necesita best, 1080, 720, 480 o smallest</translation>
    </message>
    <message>
        <source>--fragments needs a number from 1 to 16</source>
        <translation>--fragments necesita un número del 1 al 16</translation>
    </message>
    <message>
        <source>With --any-site, read other sites&apos; pages with the rule for any page alone, without asking yt-dlp.</source>
        <translation>Con --any-site, leer las páginas de otros sitios solo con la regla para cualquier página, sin preguntar a yt-dlp.</translation>
    </message>
    <message>
        <source>The yt-dlp program to ask for the media of other sites&apos; pages (default: the setting, else yt-dlp on PATH, else ~/.local/bin/yt-dlp).</source>
        <translation>El programa yt-dlp al que se piden los medios de las páginas de otros sitios (por omisión: el ajuste, si no yt-dlp en el PATH, si no ~/.local/bin/yt-dlp).</translation>
    </message>
    <message>
        <source>An address yt-dlp reports as a playlist adds each of its videos (at most %1) as an item of its own.</source>
        <translation>Una dirección que yt-dlp indica como lista de reproducción añade cada uno de sus vídeos (como máximo %1) como elemento propio.</translation>
    </message>
    <message>
        <source>Have yt-dlp use the cookies of browser &lt;NAME&gt;: %1.</source>
        <translation>Hacer que yt-dlp use las cookies del navegador &lt;NAME&gt;: %1.</translation>
    </message>
    <message>
        <source>Have yt-dlp use the cookies in &lt;FILE&gt; (Netscape format).</source>
        <translation>Hacer que yt-dlp use las cookies de &lt;FILE&gt; (formato Netscape).</translation>
    </message>
    <message>
        <source>Fetch a file over up to &lt;N&gt; connections at once where its server serves ranges, 1 to 16 (default: the Connections per download setting, %1 at first).</source>
        <translation>Descargar un archivo por hasta &lt;N&gt; conexiones a la vez cuando su servidor sirve rangos, de 1 a 16 (por omisión: el ajuste «Conexiones por descarga», %1 al principio).</translation>
    </message>
    <message>
        <source>Download at most &lt;RATE&gt; bytes per second, all connections together (500K, 2M; K and M are 1024 and 1024 x 1024). Default: the speed limit setting (none at first).</source>
        <translation>Descargar como máximo &lt;RATE&gt; bytes por segundo, todas las conexiones juntas (500K, 2M; K y M son 1024 y 1024 x 1024). Por omisión: el ajuste del límite de velocidad (ninguno al principio).</translation>
    </message>
    <message>
        <source>--cookies-from-browser needs one of %1</source>
        <translation>--cookies-from-browser necesita uno de: %1</translation>
    </message>
    <message>
        <source>--connections needs a number from 1 to 16</source>
        <translation>--connections necesita un número de 1 a 16</translation>
    </message>
    <message>
        <source>--limit-rate needs a rate such as 500K or 2M</source>
        <translation>--limit-rate necesita una velocidad como 500K o 2M</translation>
    </message>
</context>
<context>
    <name>ItemActions</name>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Mostrar en la carpeta</translation>
    </message>
    <message>
        <source>Copy address</source>
        <translation>Copiar dirección</translation>
    </message>
</context>
<context>
    <name>ListKeeper</name>
    <message>
        <source>The download list is kept by another Clipvane program, so this window starts with an empty list that is not kept.</source>
        <translation>Otro programa Clipvane lleva la lista de descargas, así que esta ventana empieza con una lista vacía que no se guarda.</translation>
    </message>
    <message>
        <source>It could not be moved aside and will be replaced.</source>
        <translation>No se pudo apartar y será reemplazada.</translation>
    </message>
    <message>
        <source>It was kept as %1.</source>
        <translation>Se ha guardado como %1.</translation>
    </message>
    <message>
        <source>The saved download list could not be read (%1), so the list starts empty. %2</source>
        <translation>No se pudo leer la lista de descargas guardada (%1), así que la lista empieza vacía. %2</translation>
    </message>
    <message>
        <source>The download list could not be saved: %1. It stays in this window and is saved again at the next change.</source>
        <translation>No se pudo guardar la lista de descargas: %1. Se mantiene en esta ventana y se guardará de nuevo con el próximo cambio.</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Minimise</source>
        <translation>Minimizar</translation>
    </message>
    <message>
        <source>Hide in the notification area</source>
        <translation>Ocultar en el área de notificación</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Descargar</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Ajustes</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Video page address</source>
        <translation>Dirección de la página del vídeo</translation>
    </message>
    <message>
        <source>Paste the address of a video&apos;s page</source>
        <translation>Pegue la dirección de la página de un vídeo</translation>
    </message>
    <message>
        <source>Add to list</source>
        <translation>Añadir</translation>
    </message>
    <message>
        <source>Add to download list</source>
        <translation>Añadir a la lista de descargas</translation>
    </message>
    <message>
        <source>Download list</source>
        <translation>Lista de descargas</translation>
    </message>
    <message>
        <source>Downloading to %1</source>
        <translation>Descargando en %1</translation>
    </message>
    <message>
        <source>Saving to %1</source>
        <translation>Guardar en %1</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Stop downloading</source>
        <translation>Detener la descarga</translation>
    </message>
    <message>
        <source>Start downloading</source>
        <translation>Iniciar la descarga</translation>
    </message>
    <message>
        <source>Added videos appear here</source>
        <translation>Los vídeos añadidos aparecen aquí</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Seleccionar todo</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Seleccionar todo</translation>
    </message>
    <message>
        <source>Remove selected</source>
        <translation>Quitar selección</translation>
    </message>
    <message>
        <source>Remove selected items</source>
        <translation>Quitar los elementos seleccionados</translation>
    </message>
    <message>
        <source>Remove Selected Items</source>
        <translation>Quitar los elementos seleccionados</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Subir el elemento</translation>
    </message>
    <message>
        <source>Move Item Up</source>
        <translation>Subir el elemento</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Bajar el elemento</translation>
    </message>
    <message>
        <source>Clear completed</source>
        <translation>Quitar completados</translation>
    </message>
    <message>
        <source>Clear completed items</source>
        <translation>Quitar los elementos completados</translation>
    </message>
    <message>
        <source>Clear Completed items</source>
        <translation>Quitar los elementos completados</translation>
    </message>
    <message>
        <source>Watching the clipboard: copied video page addresses are added and downloaded.</source>
        <translation>Vigilando el portapapeles: las direcciones de páginas de vídeo copiadas se añaden y se descargan.</translation>
    </message>
    <message>
        <source>Clipboard watching is off. Turn it on in Settings.</source>
        <translation>La vigilancia del portapapeles está desactivada. Actívela en Ajustes.</translation>
    </message>
    <message>
        <source>Minimise (the desktop has no notification area)</source>
        <translation>Minimizar (el escritorio no tiene área de notificación)</translation>
    </message>
</context>
<context>
    <name>Notifier</name>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>Show in folder</source>
        <translation>Mostrar en la carpeta</translation>
    </message>
</context>
<context>
    <name>PageTab</name>
    <message>
        <source>Downloading</source>
        <translation>Descargando</translation>
    </message>
</context>
<context>
    <name>RunPresenter</name>
    <message>
        <source>Start Downloading</source>
        <translation>Iniciar la descarga</translation>
    </message>
    <message>
        <source>Stop Downloading</source>
        <translation>Detener la descarga</translation>
    </message>
    <message>
        <source> · %1 of %2</source>
        <translation> · %1 de %2</translation>
    </message>
</context>
<context>
    <name>SettingsPage</name>
    <message>
        <source>Download folder</source>
        <translation>Carpeta de descargas</translation>
    </message>
    <message>
        <source>Downloaded videos are saved in this folder.</source>
        <translation>Los vídeos descargados se guardan en esta carpeta.</translation>
    </message>
    <message>
        <source>Browse…</source>
        <translation>Examinar…</translation>
    </message>
    <message>
        <source>Browse for the download folder</source>
        <translation>Elegir la carpeta de descargas</translation>
    </message>
    <message>
        <source>Clipboard</source>
        <translation>Portapapeles</translation>
    </message>
    <message>
        <source>When a copied address belongs to a supported video site (or to any site, with the option below), it joins the list and downloading starts by itself.</source>
        <translation>Cuando una dirección copiada pertenece a un sitio de vídeos compatible (o a cualquier sitio, con la opción de abajo), se añade a la lista y la descarga empieza sola.</translation>
    </message>
    <message>
        <source>Monitor video URL&apos;s in clipboard and automatically add and download</source>
        <translation>Vigilar las URL de vídeo del portapapeles, añadirlas y descargarlas automáticamente</translation>
    </message>
    <message>
        <source>Other sites</source>
        <translation>Otros sitios</translation>
    </message>
    <message>
        <source>Pages that name their video the standard way, and links straight to a video file.</source>
        <translation>Páginas que indican su vídeo de la forma estándar y enlaces directos a un archivo de vídeo.</translation>
    </message>
    <message>
        <source>Also find videos on pages of other sites</source>
        <translation>Buscar vídeos también en páginas de otros sitios</translation>
    </message>
    <message>
        <source>Quality: %1</source>
        <translation>Calidad: %1</translation>
    </message>
    <message>
        <source>Notify when downloads finish</source>
        <translation>Avisar cuando terminen las descargas</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Calidad</translation>
    </message>
    <message>
        <source>Best</source>
        <translation>La mejor</translation>
    </message>
    <message>
        <source>Smallest</source>
        <translation>La menor</translation>
    </message>
    <message>
        <source>With other sites on, yt-dlp finds the video first; this program downloads it.</source>
        <translation>Con otros sitios activados, yt-dlp busca primero el vídeo; este programa lo descarga.</translation>
    </message>
    <message>
        <source>yt-dlp program</source>
        <translation>Programa yt-dlp</translation>
    </message>
    <message>
        <source>yt-dlp program (empty: yt-dlp on PATH)</source>
        <translation>Programa yt-dlp (vacío: yt-dlp en el PATH)</translation>
    </message>
    <message>
        <source>Playlist addresses add every video</source>
        <translation>Las listas de reproducción añaden cada vídeo</translation>
    </message>
    <message>
        <source>Cookies from browser: %1</source>
        <translation>Cookies del navegador: %1</translation>
    </message>
    <message>
        <source>Transfers</source>
        <translation>Transferencias</translation>
    </message>
    <message>
        <source>Connections per download</source>
        <translation>Conexiones por descarga</translation>
    </message>
    <message>
        <source>Fewer connections</source>
        <translation>Menos conexiones</translation>
    </message>
    <message>
        <source>More connections</source>
        <translation>Más conexiones</translation>
    </message>
    <message>
        <source>Limit download speed to</source>
        <translation>Limitar la velocidad de descarga a</translation>
    </message>
    <message>
        <source>Speed limit in KiB/s</source>
        <translation>Límite de velocidad en KiB/s</translation>
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
        <translation>En espera</translation>
    </message>
    <message>
        <source>Complete</source>
        <translation>Completado</translation>
    </message>
    <message>
        <source>ERROR</source>
        <translation>ERROR</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Cancelado</translation>
    </message>
    <message>
        <source>Link is not supported</source>
        <translation>Enlace no compatible</translation>
    </message>
    <message>
        <source>Start Downloading...</source>
        <translation>Iniciando la descarga...</translation>
    </message>
    <message>
        <source>Preparing...</source>
        <translation>Preparando...</translation>
    </message>
    <message>
        <source>Preparing (%1%)</source>
        <translation>Preparando (%1 %)</translation>
    </message>
    <message>
        <source>Retrying (%1/%2)…</source>
        <translation>Reintentando (%1/%2)…</translation>
    </message>
    <message>
        <source>%1 so far..</source>
        <translation>%1 hasta ahora..</translation>
    </message>
    <message>
        <source>Waiting (Auto Detect)</source>
        <translation>En espera (detección automática)</translation>
    </message>
    <message>
        <source>Un supported link</source>
        <translation>Enlace no compatible</translation>
    </message>
    <message>
        <source>Process failed.</source>
        <translation>El proceso falló.</translation>
    </message>
    <message>
        <source>Enter File Name</source>
        <translation>Escriba el nombre del archivo</translation>
    </message>
    <message>
        <source>No supported site matches this address</source>
        <translation>Ningún sitio compatible coincide con esta dirección</translation>
    </message>
    <message>
        <source>The page names no video file</source>
        <translation>La página no indica ningún archivo de vídeo</translation>
    </message>
    <message>
        <source>Video may be inappropriate and can not be downloaded</source>
        <translation>Puede que el vídeo no sea apropiado y no se puede descargar</translation>
    </message>
    <message>
        <source>The page could not be fetched</source>
        <translation>No se pudo obtener la página</translation>
    </message>
    <message>
        <source>The server sent a web page, not a video file</source>
        <translation>El servidor envió una página web, no un archivo de vídeo</translation>
    </message>
    <message>
        <source>The server answered %1; nothing was saved</source>
        <translation>El servidor respondió %1; no se guardó nada</translation>
    </message>
    <message>
        <source>Could not find Url</source>
        <translation>No se encontró la URL</translation>
    </message>
    <message>
        <source>Could not read URL</source>
        <translation>No se pudo leer la URL</translation>
    </message>
    <message>
        <source>Cannot write %1</source>
        <translation>No se puede escribir %1</translation>
    </message>
    <message>
        <source>The stream was not saved</source>
        <translation>La emisión no se guardó</translation>
    </message>
    <message>
        <source>The address names no streaming playlist</source>
        <translation>La dirección no indica ninguna lista de reproducción de streaming</translation>
    </message>
    <message>
        <source>The playlist is too large</source>
        <translation>La lista de reproducción es demasiado grande</translation>
    </message>
    <message>
        <source>The playlist could not be fetched: %1</source>
        <translation>No se pudo obtener la lista de reproducción: %1</translation>
    </message>
    <message>
        <source>Live streams are not supported</source>
        <translation>Las emisiones en directo no son compatibles</translation>
    </message>
    <message>
        <source>The stream is protected (DRM) and cannot be saved</source>
        <translation>La emisión está protegida (DRM) y no se puede guardar</translation>
    </message>
    <message>
        <source>The stream&apos;s playlist cannot be read (%1)</source>
        <translation>No se puede leer la lista de reproducción de la emisión (%1)</translation>
    </message>
    <message>
        <source>The stream&apos;s playlist holds nothing to save</source>
        <translation>La lista de reproducción de la emisión no contiene nada que guardar</translation>
    </message>
    <message>
        <source>The stream has more than %1 fragments</source>
        <translation>La emisión tiene más de %1 fragmentos</translation>
    </message>
    <message>
        <source>The stream&apos;s playlist refers to itself</source>
        <translation>La lista de reproducción de la emisión se refiere a sí misma</translation>
    </message>
    <message>
        <source>The stream holds no video or audio</source>
        <translation>La emisión no contiene vídeo ni audio</translation>
    </message>
    <message>
        <source>Could not write the record of %1</source>
        <translation>No se pudo escribir el registro de %1</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>No se pudo escribir %1: %2</translation>
    </message>
    <message>
        <source>Could not open %1: %2</source>
        <translation>No se pudo abrir %1: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>No se puede leer %1: %2</translation>
    </message>
    <message>
        <source>The server answered %1 %2 times</source>
        <translation>El servidor respondió %1 %2 veces</translation>
    </message>
    <message>
        <source>The server answered %1</source>
        <translation>El servidor respondió %1</translation>
    </message>
    <message>
        <source>The connection to %1 was refused</source>
        <translation>La conexión con %1 fue rechazada</translation>
    </message>
    <message>
        <source>The connection to %1 broke off %2 times</source>
        <translation>La conexión con %1 se cortó %2 veces</translation>
    </message>
    <message>
        <source>The connection to %1 broke off</source>
        <translation>La conexión con %1 se cortó</translation>
    </message>
    <message>
        <source>The host %1 was not found</source>
        <translation>No se encontró el host %1</translation>
    </message>
    <message>
        <source>%1 sent nothing for %2 s</source>
        <translation>%1 no envió nada durante %2 s</translation>
    </message>
    <message>
        <source>The secure connection to %1 could not be made</source>
        <translation>No se pudo establecer la conexión segura con %1</translation>
    </message>
    <message>
        <source>The address %1 cannot be fetched</source>
        <translation>La dirección %1 no se puede obtener</translation>
    </message>
    <message>
        <source>%1 never finished its answer&apos;s headers</source>
        <translation>%1 nunca terminó las cabeceras de su respuesta</translation>
    </message>
</context>
<context>
    <name>TransferMeter</name>
    <message>
        <source>about %1 s left</source>
        <translation>quedan unos %1 s</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>quedan unos %1 min</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>quedan unas %1 h %2 min</translation>
    </message>
    <message>
        <source> of %1</source>
        <translation> de %1</translation>
    </message>
    <message>
        <source>stalled</source>
        <translation>detenida</translation>
    </message>
</context>
<context>
    <name>YoutubeResolver</name>
    <message>
        <source>Connection Error,</source>
        <translation>Error de conexión,</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Add to download list</source>
        <translation>Añadir a la lista de descargas</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Examinar</translation>
    </message>
    <message>
        <source>Type or paste the video-file URL:-</source>
        <translation>Escriba o pegue la URL del archivo de vídeo:</translation>
    </message>
    <message>
        <source>Web Site</source>
        <translation>Sitio web</translation>
    </message>
    <message>
        <source>The help document is not installed with the program.</source>
        <translation>El documento de ayuda no está instalado con el programa.</translation>
    </message>
    <message>
        <source>No program opened the help document. You can open it yourself: %1</source>
        <translation>Ningún programa abrió el documento de ayuda. Puede abrirlo usted mismo: %1</translation>
    </message>
    <message>
        <source>Download is in Progress, Are you sure that you want to exit?</source>
        <translation>Hay una descarga en curso. ¿Seguro que desea salir?</translation>
    </message>
    <message>
        <source>Monitor video URL&apos;s in clipboard and automatically add and download</source>
        <translation>Vigilar las URL de vídeo del portapapeles, añadirlas y descargarlas automáticamente</translation>
    </message>
    <message>
        <source>Please select the desired Download directory then press Ok.</source>
        <translation>Seleccione la carpeta de descargas que desee y pulse Aceptar.</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Seleccionar todo</translation>
    </message>
    <message>
        <source>Remove Selected Items</source>
        <translation>Quitar los elementos seleccionados</translation>
    </message>
    <message>
        <source>Move Item Up</source>
        <translation>Subir el elemento</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Bajar el elemento</translation>
    </message>
    <message>
        <source>Clear Completed items</source>
        <translation>Quitar los elementos completados</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Reintentar</translation>
    </message>
    <message>
        <source>not found</source>
        <translation>no encontrado</translation>
    </message>
</context>
<context>
    <name>frmMenu</name>
    <message>
        <source>Menu</source>
        <translation>Menú</translation>
    </message>
    <message>
        <source>This form is just to hold the tray menu.</source>
        <translation>Esta ventana solo contiene el menú del área de notificación.</translation>
    </message>
    <message>
        <source>Monitor Video URL&apos;s in Clipboard</source>
        <translation>Vigilar las URL de vídeo del portapapeles</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ayuda</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Exit Clipvane</source>
        <translation>Salir de Clipvane</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Downloads the videos of video pages. Addresses given here are added to the download list; when the program already runs, they are handed to it.</source>
        <translation>Descarga los vídeos de páginas de vídeo. Las direcciones indicadas aquí se añaden a la lista de descargas; si el programa ya está en marcha, se le pasan a él.</translation>
    </message>
    <message>
        <source>Start downloading even when no network interface but loopback is up (for servers on this machine).</source>
        <translation>Iniciar la descarga aunque no haya ninguna interfaz de red activa salvo loopback (para servidores en este equipo).</translation>
    </message>
    <message>
        <source>Video page addresses.</source>
        <translation>Direcciones de páginas de vídeo.</translation>
    </message>
</context>
<context>
    <name>modDialog</name>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
</TS>
