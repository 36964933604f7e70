<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name></name>
    <message id="action.cancel">
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message id="action.copy">
        <source>Copy</source>
        <translation>Copia</translation>
    </message>
    <message id="action.save">
        <source>Save</source>
        <translation>Salva</translation>
    </message>
    <message id="annotation.color">
        <source>Color</source>
        <translation>Colore</translation>
    </message>
    <message id="annotation.title">
        <source>Tool</source>
        <translation>Strumento</translation>
    </message>
    <message id="annotation.undo">
        <source>Undo the last mark</source>
        <translation>Annulla l'ultimo segno</translation>
    </message>
    <message id="app.name">
        <source>Pixdrift</source>
        <translation>Pixdrift</translation>
    </message>
    <message id="capture.area">
        <source>Capture Area</source>
        <translation>Cattura area</translation>
    </message>
    <message id="capture.full">
        <source>Capture Full Screen</source>
        <translation>Cattura schermo intero</translation>
    </message>
    <message id="empty.title">
        <source>No screenshot yet</source>
        <translation>Ancora nessuna schermata</translation>
    </message>
    <message id="menu.open">
        <source>Open Pixdrift</source>
        <translation>Apri Pixdrift</translation>
    </message>
    <message id="menu.quit">
        <source>Quit Pixdrift</source>
        <translation>Esci da Pixdrift</translation>
    </message>
    <message id="overlay.selectHint">
        <source>Drag to select an area</source>
        <translation>Trascina per selezionare un'area</translation>
    </message>
    <message id="settings.startAtLogin">
        <source>Start Pixdrift at login</source>
        <translation>Avvia Pixdrift all'accesso</translation>
    </message>
    <message id="shortcuts.area">
        <source>Area capture</source>
        <translation>Cattura area</translation>
    </message>
    <message id="shortcuts.button">
        <source>Shortcuts…</source>
        <translation>Scorciatoie…</translation>
    </message>
    <message id="shortcuts.cancel">
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message id="shortcuts.clickToRecord">
        <source>Click to record</source>
        <translation>Fai clic per registrare</translation>
    </message>
    <message id="shortcuts.full">
        <source>Full-screen capture</source>
        <translation>Cattura schermo intero</translation>
    </message>
    <message id="shortcuts.window">
        <source>Window capture</source>
        <translation>Cattura finestra</translation>
    </message>
    <message id="shortcuts.help">
        <source>These shortcuts work in every application, even while Pixdrift's window is closed.</source>
        <translation>Queste scorciatoie funzionano in ogni applicazione, anche quando la finestra di Pixdrift è chiusa.</translation>
    </message>
    <message id="shortcuts.pressNow">
        <source>Press the keys…</source>
        <translation>Premi i tasti…</translation>
    </message>
    <message id="shortcuts.recordingTip">
        <source>Click a field, then press at least one modifier with a letter, a digit, Space or F1–F12. Esc cancels.</source>
        <translation>Fai clic su un campo, poi premi almeno un modificatore con una lettera, una cifra, Spazio o F1–F12. Esc annulla.</translation>
    </message>
    <message id="shortcuts.save">
        <source>Save</source>
        <translation>Salva</translation>
    </message>
    <message id="shortcuts.takeOverQuestion">
        <source>%1's own screenshot tool uses %2. Let Pixdrift take the key? %1 gets it back when you remove Pixdrift's keys.</source>
        <translation>Lo strumento per schermate di %1 usa %2. Lasciare il tasto a Pixdrift? %1 lo riavrà quando rimuoverai i tasti di Pixdrift.</translation>
    </message>
    <message id="shortcuts.takeOver">
        <source>Take the Key</source>
        <translation>Prendi il tasto</translation>
    </message>
    <message id="shortcuts.title">
        <source>Keyboard Shortcuts</source>
        <translation>Scorciatoie da tastiera</translation>
    </message>
    <message id="status.adjustCrop">
        <source>Adjust the crop, then copy or save.</source>
        <translation>Regola il ritaglio, poi copia o salva.</translation>
    </message>
    <message id="status.autostartFailed">
        <source>Starting at login could not be changed</source>
        <translation>Impossibile cambiare l'avvio all'accesso</translation>
    </message>
    <message id="status.captureArea">
        <source>Capturing an area…</source>
        <translation>Cattura di un'area…</translation>
    </message>
    <message id="status.captureFull">
        <source>Capturing the full screen…</source>
        <translation>Cattura dello schermo intero…</translation>
    </message>
    <message id="status.copied">
        <source>Copied to the clipboard.</source>
        <translation>Copiato negli appunti.</translation>
    </message>
    <message id="status.desktopKeys">
        <source>On Wayland the desktop owns the keys: bind “pixdrift --area” and “pixdrift --full” to keys in its keyboard settings.</source>
        <translation>Su Wayland i tasti sono del desktop: associa “pixdrift --area” e “pixdrift --full” a dei tasti nelle sue impostazioni della tastiera.</translation>
    </message>
    <message id="status.desktopKeysSettable">
        <source>The keys are %1’s: record them in Shortcuts… and press “Set in %1”.</source>
        <translation>I tasti sono di %1: registrali in Scorciatoie… e premi “Imposta in %1”.</translation>
    </message>
    <message id="status.desktopKeysAssigned">
        <source>Shortcuts assigned by the desktop:</source>
        <translation>Scorciatoie assegnate dal desktop:</translation>
    </message>
    <message id="marks.include">
        <source>Include marks</source>
        <translation>Includi i segni</translation>
    </message>
    <message id="marks.includeTip">
        <source>Include marks: Copy and Save draw the marks into the image, and a drag inside the crop draws (move the crop by its border, or with Shift)</source>
        <translation>Includi i segni: Copia e Salva disegnano i segni nell&apos;immagine, e un trascinamento dentro il ritaglio disegna (sposta il ritaglio dal bordo, o con Maiusc)</translation>
    </message>
    <message id="annotation.redo">
        <source>Redo</source>
        <translation>Ripeti</translation>
    </message>
    <message id="tool.pixelate">
        <source>Pixelate</source>
        <translation>Pixela</translation>
    </message>
    <message id="capture.in3">
        <source>Capture Area in 3 s</source>
        <translation>Cattura area tra 3 s</translation>
    </message>
    <message id="capture.in10">
        <source>Capture Area in 10 s</source>
        <translation>Cattura area tra 10 s</translation>
    </message>
    <message id="status.countdown">
        <source>Capturing in %@ s — Esc or another capture cancels.</source>
        <translation>Cattura tra %@ s — Esc o un&apos;altra cattura annulla.</translation>
    </message>
    <message id="status.fullCaptured">
        <source>Full screen captured.</source>
        <translation>Schermo intero catturato.</translation>
    </message>
    <message id="status.hotkeyConflict">
        <source>The shortcuts could not be registered; another application may be using them</source>
        <translation>Impossibile registrare le scorciatoie; forse le usa un'altra applicazione</translation>
    </message>
    <message id="status.hotkeysActive">
        <source>Shortcuts active:</source>
        <translation>Scorciatoie attive:</translation>
    </message>
    <message id="permission.asking">
        <source>GNOME asks once whether Pixdrift may take screenshots: answer in its dialog, in front of this window.</source>
        <translation>GNOME chiede una volta se Pixdrift può catturare lo schermo: rispondi nella sua finestra, davanti a questa.</translation>
    </message>
    <message id="permission.granted">
        <source>Pixdrift may take screenshots.</source>
        <translation>Pixdrift può catturare lo schermo.</translation>
    </message>
    <message id="permission.refused">
        <source>GNOME does not let Pixdrift take screenshots</source>
        <translation>GNOME non permette a Pixdrift di catturare lo schermo</translation>
    </message>
    <message id="permission.askAgain">
        <source>Ask Again</source>
        <translation>Chiedi di nuovo</translation>
    </message>
    <message id="status.noTray">
        <source>No system tray is available: this window is the way back to Pixdrift.</source>
        <translation>Nessuna area di notifica disponibile: questa finestra è la via per tornare a Pixdrift.</translation>
    </message>
    <message id="status.permission">
        <source>The screen could not be captured</source>
        <translation>Impossibile catturare lo schermo</translation>
    </message>
    <message id="status.ready">
        <source>Ready.</source>
        <translation>Pronto.</translation>
    </message>
    <message id="status.saveFailed">
        <source>Could not save:</source>
        <translation>Salvataggio non riuscito:</translation>
    </message>
    <message id="status.saved">
        <source>Saved %@.</source>
        <translation>Salvato %@.</translation>
    </message>
    <message id="status.shortcutConflict">
        <source>Shortcuts saved, but they could not be registered</source>
        <translation>Scorciatoie salvate, ma non è stato possibile registrarle</translation>
    </message>
    <message id="status.shortcutInvalid">
        <source>Invalid shortcut: use at least one modifier with a letter, a digit, Space or F1–F12, and two different combinations.</source>
        <translation>Scorciatoia non valida: usa almeno un modificatore con una lettera, una cifra, Spazio, F1–F12 o Stamp (Stamp può anche stare da solo), e due combinazioni diverse.</translation>
    </message>
    <message id="status.shortcutSaveFailed">
        <source>The shortcuts could not be saved; the ones in use stay</source>
        <translation>Impossibile salvare le scorciatoie; restano quelle in uso</translation>
    </message>
    <message id="status.shortcutSaved">
        <source>Shortcuts saved:</source>
        <translation>Scorciatoie salvate:</translation>
    </message>
    <message id="tool.arrow">
        <source>Arrow</source>
        <translation>Freccia</translation>
    </message>
    <message id="tool.pen">
        <source>Line</source>
        <translation>Linea</translation>
    </message>
    <message id="tool.rectangle">
        <source>Rectangle</source>
        <translation>Rettangolo</translation>
    </message>
    <message id="action.crop">
        <source>Crop</source>
        <translation>Ritaglia</translation>
    </message>
    <message id="action.dismiss">
        <source>Dismiss</source>
        <translation>Chiudi</translation>
    </message>
    <message id="marks.hint">
        <source>Marks stay in this window: turn on “Include marks” to put them in the copy.</source>
        <translation>I segni restano in questa finestra: attiva “Includi i segni” per metterli nella copia.</translation>
    </message>
    <message id="status.copyFailed">
        <source>Could not copy:</source>
        <translation>Copia non riuscita:</translation>
    </message>
    <message id="status.discarded">
        <source>Capture discarded. Undo (Ctrl+Z) brings it back.</source>
        <translation>Cattura scartata. Annulla (Ctrl+Z) la riporta.</translation>
    </message>
    <message id="status.restored">
        <source>Capture restored.</source>
        <translation>Cattura ripristinata.</translation>
    </message>
    <message id="status.settingsDamaged">
        <source>The settings file was damaged; Pixdrift started with its defaults</source>
        <translation>Il file delle impostazioni era danneggiato; Pixdrift è partito con le impostazioni predefinite</translation>
    </message>
    <message id="shortcuts.removeFrom">
        <source>Remove from</source>
        <translation>Rimuovi da</translation>
    </message>
    <message id="shortcuts.setIn">
        <source>Set in</source>
        <translation>Imposta in</translation>
    </message>
    <message id="status.desktopKeyTaken">
        <source>These keys are already in use in</source>
        <translation>Questi tasti sono già in uso in</translation>
    </message>
    <message id="status.desktopKeysRemoved">
        <source>Pixdrift&apos;s shortcuts were removed from</source>
        <translation>Le scorciatoie di Pixdrift sono state rimosse da</translation>
    </message>
    <message id="status.desktopKeysSet">
        <source>Shortcuts set in</source>
        <translation>Scorciatoie impostate in</translation>
    </message>
    <message id="Pixdrift">
        <source>Pixdrift</source>
        <translation>Pixdrift</translation>
    </message>
    <message id="Cattura">
        <source>Capture</source>
        <translation>Cattura</translation>
    </message>
    <message id="Seleziona area…">
        <source>Select Area…</source>
        <translation>Seleziona area…</translation>
    </message>
    <message id="Schermo intero">
        <source>Full Screen</source>
        <translation>Schermo intero</translation>
    </message>
    <message id="Settings…">
        <source>Settings…</source>
        <translation>Impostazioni…</translation>
    </message>
    <message id="tool.ellipse">
        <source>Ellipse</source>
        <translation>Ellisse</translation>
    </message>
    <message id="tool.freehand">
        <source>Freehand</source>
        <translation>A mano libera</translation>
    </message>
    <message id="tool.highlighter">
        <source>Highlighter</source>
        <translation>Evidenziatore</translation>
    </message>
    <message id="tool.text">
        <source>Text</source>
        <translation>Testo</translation>
    </message>
    <message id="tool.counter">
        <source>Counter</source>
        <translation>Contatore</translation>
    </message>
    <message id="tool.blur">
        <source>Blur</source>
        <translation>Sfocatura</translation>
    </message>
    <message id="tool.select">
        <source>Select</source>
        <translation>Seleziona</translation>
    </message>
    <message id="annotation.thin">
        <source>Thin</source>
        <translation>Sottile</translation>
    </message>
    <message id="annotation.medium">
        <source>Medium</source>
        <translation>Medio</translation>
    </message>
    <message id="annotation.thick">
        <source>Thick</source>
        <translation>Spesso</translation>
    </message>
    <message id="annotation.textBackground">
        <source>Text on a background</source>
        <translation>Testo su sfondo</translation>
    </message>
    <message id="annotation.red">
        <source>Red</source>
        <translation>Rosso</translation>
    </message>
    <message id="annotation.orange">
        <source>Orange</source>
        <translation>Arancione</translation>
    </message>
    <message id="annotation.yellow">
        <source>Yellow</source>
        <translation>Giallo</translation>
    </message>
    <message id="annotation.green">
        <source>Green</source>
        <translation>Verde</translation>
    </message>
    <message id="annotation.blue">
        <source>Blue</source>
        <translation>Blu</translation>
    </message>
    <message id="annotation.black">
        <source>Black</source>
        <translation>Nero</translation>
    </message>
    <message id="action.pin">
        <source>Pin</source>
        <translation>Fissa</translation>
    </message>
    <message id="action.pinTip">
        <source>Keep this image on top of every window</source>
        <translation>Tieni questa immagine sopra tutte le finestre</translation>
    </message>
    <message id="pin.close">
        <source>Close</source>
        <translation>Chiudi</translation>
    </message>
    <message id="pin.help">
        <source>Drag to move, wheel to zoom, Ctrl+wheel for transparency, Escape or double-click to close</source>
        <translation>Trascina per spostare, rotella per lo zoom, Ctrl+rotella per la trasparenza, Esc o doppio clic per chiudere</translation>
    </message>
    <message id="capture.last">
        <source>Capture Last Area</source>
        <translation>Cattura l&apos;ultima area</translation>
    </message>
    <message id="capture.window">
        <source>Capture Window</source>
        <translation>Cattura finestra</translation>
    </message>
    <message id="status.noWindowList">
        <source>This desktop does not tell programs where its windows are: capture an area instead</source>
        <translation>Questo desktop non dice ai programmi dove sono le sue finestre: cattura un&apos;area</translation>
    </message>
    <message id="status.noWindow">
        <source>There is no window to capture</source>
        <translation>Non c&apos;è nessuna finestra da catturare</translation>
    </message>
    <message id="status.formatMissing">
        <source>%1 files cannot be written: install qt6-image-formats-plugins</source>
        <translation>Impossibile scrivere file %1: installa qt6-image-formats-plugins</translation>
    </message>
    <message id="status.settingsSaveFailed">
        <source>The settings could not be saved</source>
        <translation>Impossibile salvare le impostazioni</translation>
    </message>
    <message id="notify.copied">
        <source>Copied %1</source>
        <translation>Copiato %1</translation>
    </message>
    <message id="notify.openFolder">
        <source>Open Folder</source>
        <translation>Apri cartella</translation>
    </message>
    <message id="settings.patternSlash">
        <source>A file name cannot contain “/”</source>
        <translation>Un nome di file non può contenere “/”</translation>
    </message>
    <message id="settings.patternEmpty">
        <source>The pattern gives an empty file name</source>
        <translation>Lo schema dà un nome di file vuoto</translation>
    </message>
    <message id="preferences.title">
        <source>Preferences</source>
        <translation>Preferenze</translation>
    </message>
    <message id="preferences.shortcuts">
        <source>Shortcuts</source>
        <translation>Scorciatoie</translation>
    </message>
    <message id="preferences.capture">
        <source>Capture</source>
        <translation>Cattura</translation>
    </message>
    <message id="settings.after">
        <source>After a capture</source>
        <translation>Dopo una cattura</translation>
    </message>
    <message id="settings.afterWindow">
        <source>Open the window</source>
        <translation>Apri la finestra</translation>
    </message>
    <message id="settings.afterCopy">
        <source>Copy to the clipboard</source>
        <translation>Copia negli appunti</translation>
    </message>
    <message id="settings.afterSave">
        <source>Save</source>
        <translation>Salva</translation>
    </message>
    <message id="settings.afterBoth">
        <source>Copy and save</source>
        <translation>Copia e salva</translation>
    </message>
    <message id="settings.saveInto">
        <source>Save into</source>
        <translation>Salva in</translation>
    </message>
    <message id="settings.ask">
        <source>Ask every time</source>
        <translation>Chiedi ogni volta</translation>
    </message>
    <message id="settings.thisFolder">
        <source>This folder</source>
        <translation>Questa cartella</translation>
    </message>
    <message id="settings.choose">
        <source>Choose…</source>
        <translation>Scegli…</translation>
    </message>
    <message id="settings.pattern">
        <source>File name</source>
        <translation>Nome del file</translation>
    </message>
    <message id="settings.patternHelp">
        <source>%Y year, %m month, %d day, %H hour, %M minute, %S second, %% a percent sign</source>
        <translation>%Y anno, %m mese, %d giorno, %H ora, %M minuto, %S secondo, %% il segno di percentuale</translation>
    </message>
    <message id="settings.format">
        <source>Format</source>
        <translation>Formato</translation>
    </message>
    <message id="settings.quality">
        <source>Quality</source>
        <translation>Qualità</translation>
    </message>
    <message id="action.copyText">
        <source>Copy Text</source>
        <translation>Copia testo</translation>
    </message>
    <message id="action.copyTextTip">
        <source>Copy the words in the crop as text</source>
        <translation>Copia come testo le parole nel ritaglio</translation>
    </message>
    <message id="status.readingText">
        <source>Reading the text…</source>
        <translation>Lettura del testo…</translation>
    </message>
    <message id="status.noText">
        <source>No text found in the crop</source>
        <translation>Nessun testo trovato nel ritaglio</translation>
    </message>
    <message id="status.textCopiedOne">
        <source>Copied 1 line of text</source>
        <translation>Copiata 1 riga di testo</translation>
    </message>
    <message id="status.textCopied">
        <source>Copied %1 lines of text</source>
        <translation>Copiate %1 righe di testo</translation>
    </message>
    <message id="status.noTextData">
        <source>Text cannot be read: no language data is installed (package tesseract-ocr-eng, or tesseract-ocr- and your language's code)</source>
        <translation>Impossibile leggere il testo: nessun dato di lingua installato (pacchetto tesseract-ocr-ita, o tesseract-ocr- e il codice della tua lingua)</translation>
    </message>
    <message id="settings.afterText">
        <source>Copy the text</source>
        <translation>Copia il testo</translation>
    </message>
    <message id="settings.textLanguages">
        <source>Text languages</source>
        <translation>Lingue del testo</translation>
    </message>
    <message id="capture.scroll">
        <source>Scroll Capture…</source>
        <translation>Cattura con scorrimento…</translation>
    </message>
    <message id="scroll.title">
        <source>Scroll Capture</source>
        <translation>Cattura con scorrimento</translation>
    </message>
    <message id="scroll.rows">
        <source>%1 pixels tall</source>
        <translation>Alta %1 pixel</translation>
    </message>
    <message id="scroll.done">
        <source>Done</source>
        <translation>Fine</translation>
    </message>
    <message id="scroll.scrolling">
        <source>Scrolling the page… Done or Esc stops</source>
        <translation>Scorro la pagina… Fine o Esc ferma</translation>
    </message>
    <message id="scroll.yourself">
        <source>Scroll the page slowly, then press Done</source>
        <translation>Scorri la pagina lentamente, poi premi Fine</translation>
    </message>
    <message id="scroll.lost">
        <source>Scrolled too far to follow: scroll back a little</source>
        <translation>Scorsa troppo per seguirla: torna un po’ indietro</translation>
    </message>
    <message id="scroll.limit">
        <source>Stopped at the height limit</source>
        <translation>Fermata al limite di altezza</translation>
    </message>
    <message id="scroll.unavailable">
        <source>Scrolling capture needs a faster screen capture than this desktop offers</source>
        <translation>La cattura con scorrimento richiede una cattura dello schermo più veloce di quella offerta da questo desktop</translation>
    </message>
    <message id="scroll.brokeOff">
        <source>The scrolling capture broke off; what it had is kept</source>
        <translation>La cattura con scorrimento si è interrotta; quanto catturato è conservato</translation>
    </message>
    <message id="settings.scrollLimit">
        <source>Scroll Capture stops at</source>
        <translation>La cattura con scorrimento si ferma a</translation>
    </message>
    <message id="settings.scrollBySelf">
        <source>Scroll the page for me</source>
        <translation>Scorri la pagina per me</translation>
    </message>
    <message id="settings.pixels">
        <source> pixels</source>
        <translation> pixel</translation>
    </message>
</context>
</TS>
