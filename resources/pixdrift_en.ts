<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="action.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="action.copy">
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message id="action.save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="annotation.color">
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message id="annotation.title">
        <source>Tool</source>
        <translation>Tool</translation>
    </message>
    <message id="annotation.undo">
        <source>Undo the last mark</source>
        <translation>Undo the last mark</translation>
    </message>
    <message id="app.name">
        <source>Pixdrift</source>
        <translation>Pixdrift</translation>
    </message>
    <message id="capture.area">
        <source>Capture Area</source>
        <translation>Capture Area</translation>
    </message>
    <message id="capture.full">
        <source>Capture Full Screen</source>
        <translation>Capture Full Screen</translation>
    </message>
    <message id="empty.title">
        <source>No screenshot yet</source>
        <translation>No screenshot yet</translation>
    </message>
    <message id="menu.open">
        <source>Open Pixdrift</source>
        <translation>Open Pixdrift</translation>
    </message>
    <message id="menu.quit">
        <source>Quit Pixdrift</source>
        <translation>Quit Pixdrift</translation>
    </message>
    <message id="overlay.selectHint">
        <source>Drag to select an area</source>
        <translation>Drag to select an area</translation>
    </message>
    <message id="settings.startAtLogin">
        <source>Start Pixdrift at login</source>
        <translation>Start Pixdrift at login</translation>
    </message>
    <message id="shortcuts.area">
        <source>Area capture</source>
        <translation>Area capture</translation>
    </message>
    <message id="shortcuts.button">
        <source>Shortcuts…</source>
        <translation>Shortcuts…</translation>
    </message>
    <message id="shortcuts.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="shortcuts.clickToRecord">
        <source>Click to record</source>
        <translation>Click to record</translation>
    </message>
    <message id="shortcuts.full">
        <source>Full-screen capture</source>
        <translation>Full-screen capture</translation>
    </message>
    <message id="shortcuts.window">
        <source>Window capture</source>
        <translation>Window capture</translation>
    </message>
    <message id="shortcuts.help">
        <source>These shortcuts work in every application, even while Pixdrift's window is closed.</source>
        <translation>These shortcuts work in every application, even while Pixdrift's window is closed.</translation>
    </message>
    <message id="shortcuts.pressNow">
        <source>Press the keys…</source>
        <translation>Press the keys…</translation>
    </message>
    <message id="shortcuts.recordingTip">
        <source>Click a field, then press at least one modifier with a letter, a digit, Space or F1–F12. Esc cancels.</source>
        <translation>Click a field, then press at least one modifier with a letter, a digit, Space or F1–F12. Esc cancels.</translation>
    </message>
    <message id="shortcuts.save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="shortcuts.takeOverQuestion">
        <source>%1's own screenshot tool uses %2. Let Pixdrift take the key? %1 gets it back when you remove Pixdrift's keys.</source>
        <translation>%1's own screenshot tool uses %2. Let Pixdrift take the key? %1 gets it back when you remove Pixdrift's keys.</translation>
    </message>
    <message id="shortcuts.takeOver">
        <source>Take the Key</source>
        <translation>Take the Key</translation>
    </message>
    <message id="shortcuts.title">
        <source>Keyboard Shortcuts</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message id="status.adjustCrop">
        <source>Adjust the crop, then copy or save.</source>
        <translation>Adjust the crop, then copy or save.</translation>
    </message>
    <message id="status.autostartFailed">
        <source>Starting at login could not be changed</source>
        <translation>Starting at login could not be changed</translation>
    </message>
    <message id="status.captureArea">
        <source>Capturing an area…</source>
        <translation>Capturing an area…</translation>
    </message>
    <message id="status.captureFull">
        <source>Capturing the full screen…</source>
        <translation>Capturing the full screen…</translation>
    </message>
    <message id="status.copied">
        <source>Copied to the clipboard.</source>
        <translation>Copied to the clipboard.</translation>
    </message>
    <message id="status.desktopKeys">
        <source>On Wayland the desktop owns the keys: bind “pixdrift --area” and “pixdrift --full” to keys in its keyboard settings.</source>
        <translation>On Wayland the desktop owns the keys: bind “pixdrift --area” and “pixdrift --full” to keys in its keyboard settings.</translation>
    </message>
    <message id="status.desktopKeysSettable">
        <source>The keys are %1’s: record them in Shortcuts… and press “Set in %1”.</source>
        <translation>The keys are %1’s: record them in Shortcuts… and press “Set in %1”.</translation>
    </message>
    <message id="status.desktopKeysAssigned">
        <source>Shortcuts assigned by the desktop:</source>
        <translation>Shortcuts assigned by the desktop:</translation>
    </message>
    <message id="marks.include">
        <source>Include marks</source>
        <translation>Include marks</translation>
    </message>
    <message id="marks.includeTip">
        <source>Include marks: Copy and Save draw the marks into the image, and a drag inside the crop draws (move the crop by its border, or with Shift)</source>
        <translation>Include marks: Copy and Save draw the marks into the image, and a drag inside the crop draws (move the crop by its border, or with Shift)</translation>
    </message>
    <message id="annotation.redo">
        <source>Redo</source>
        <translation>Redo</translation>
    </message>
    <message id="tool.pixelate">
        <source>Pixelate</source>
        <translation>Pixelate</translation>
    </message>
    <message id="capture.in3">
        <source>Capture Area in 3 s</source>
        <translation>Capture Area in 3 s</translation>
    </message>
    <message id="capture.in10">
        <source>Capture Area in 10 s</source>
        <translation>Capture Area in 10 s</translation>
    </message>
    <message id="status.countdown">
        <source>Capturing in %@ s — Esc or another capture cancels.</source>
        <translation>Capturing in %@ s — Esc or another capture cancels.</translation>
    </message>
    <message id="status.fullCaptured">
        <source>Full screen captured.</source>
        <translation>Full screen captured.</translation>
    </message>
    <message id="status.hotkeyConflict">
        <source>The shortcuts could not be registered; another application may be using them</source>
        <translation>The shortcuts could not be registered; another application may be using them</translation>
    </message>
    <message id="status.hotkeysActive">
        <source>Shortcuts active:</source>
        <translation>Shortcuts active:</translation>
    </message>
    <message id="permission.asking">
        <source>GNOME asks once whether Pixdrift may take screenshots: answer in its dialog, in front of this window.</source>
        <translation>GNOME asks once whether Pixdrift may take screenshots: answer in its dialog, in front of this window.</translation>
    </message>
    <message id="permission.granted">
        <source>Pixdrift may take screenshots.</source>
        <translation>Pixdrift may take screenshots.</translation>
    </message>
    <message id="permission.refused">
        <source>GNOME does not let Pixdrift take screenshots</source>
        <translation>GNOME does not let Pixdrift take screenshots</translation>
    </message>
    <message id="permission.askAgain">
        <source>Ask Again</source>
        <translation>Ask Again</translation>
    </message>
    <message id="status.noTray">
        <source>No system tray is available: this window is the way back to Pixdrift.</source>
        <translation>No system tray is available: this window is the way back to Pixdrift.</translation>
    </message>
    <message id="status.permission">
        <source>The screen could not be captured</source>
        <translation>The screen could not be captured</translation>
    </message>
    <message id="status.ready">
        <source>Ready.</source>
        <translation>Ready.</translation>
    </message>
    <message id="status.saveFailed">
        <source>Could not save:</source>
        <translation>Could not save:</translation>
    </message>
    <message id="status.saved">
        <source>Saved %@.</source>
        <translation>Saved %@.</translation>
    </message>
    <message id="status.shortcutConflict">
        <source>Shortcuts saved, but they could not be registered</source>
        <translation>Shortcuts saved, but they could not be registered</translation>
    </message>
    <message id="status.shortcutInvalid">
        <source>Invalid shortcut: use at least one modifier with a letter, a digit, Space, F1–F12 or Print (Print may also stand alone), and two different combinations.</source>
        <translation>Invalid shortcut: use at least one modifier with a letter, a digit, Space, F1–F12 or Print (Print may also stand alone), and two different combinations.</translation>
    </message>
    <message id="status.shortcutSaveFailed">
        <source>The shortcuts could not be saved; the ones in use stay</source>
        <translation>The shortcuts could not be saved; the ones in use stay</translation>
    </message>
    <message id="status.shortcutSaved">
        <source>Shortcuts saved:</source>
        <translation>Shortcuts saved:</translation>
    </message>
    <message id="tool.arrow">
        <source>Arrow</source>
        <translation>Arrow</translation>
    </message>
    <message id="tool.pen">
        <source>Line</source>
        <translation>Line</translation>
    </message>
    <message id="tool.rectangle">
        <source>Rectangle</source>
        <translation>Rectangle</translation>
    </message>
    <message id="action.crop">
        <source>Crop</source>
        <translation>Crop</translation>
    </message>
    <message id="action.dismiss">
        <source>Dismiss</source>
        <translation>Dismiss</translation>
    </message>
    <message id="marks.hint">
        <source>Marks stay in this window: turn on “Include marks” to put them in the copy.</source>
        <translation>Marks stay in this window: turn on “Include marks” to put them in the copy.</translation>
    </message>
    <message id="status.copyFailed">
        <source>Could not copy:</source>
        <translation>Could not copy:</translation>
    </message>
    <message id="status.discarded">
        <source>Capture discarded. Undo (Ctrl+Z) brings it back.</source>
        <translation>Capture discarded. Undo (Ctrl+Z) brings it back.</translation>
    </message>
    <message id="status.restored">
        <source>Capture restored.</source>
        <translation>Capture restored.</translation>
    </message>
    <message id="status.settingsDamaged">
        <source>The settings file was damaged; Pixdrift started with its defaults</source>
        <translation>The settings file was damaged; Pixdrift started with its defaults</translation>
    </message>
    <message id="shortcuts.removeFrom">
        <source>Remove from</source>
        <translation>Remove from</translation>
    </message>
    <message id="shortcuts.setIn">
        <source>Set in</source>
        <translation>Set in</translation>
    </message>
    <message id="status.desktopKeyTaken">
        <source>These keys are already in use in</source>
        <translation>These keys are already in use in</translation>
    </message>
    <message id="status.desktopKeysRemoved">
        <source>Pixdrift&apos;s shortcuts were removed from</source>
        <translation>Pixdrift&apos;s shortcuts were removed from</translation>
    </message>
    <message id="status.desktopKeysSet">
        <source>Shortcuts set in</source>
        <translation>Shortcuts set in</translation>
    </message>
    <message id="Pixdrift">
        <source>Pixdrift</source>
        <translation>Pixdrift</translation>
    </message>
    <message id="Cattura">
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message id="Seleziona area…">
        <source>Select Area…</source>
        <translation>Select Area…</translation>
    </message>
    <message id="Schermo intero">
        <source>Full Screen</source>
        <translation>Full Screen</translation>
    </message>
    <message id="Settings…">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="tool.ellipse">
        <source>Ellipse</source>
        <translation>Ellipse</translation>
    </message>
    <message id="tool.freehand">
        <source>Freehand</source>
        <translation>Freehand</translation>
    </message>
    <message id="tool.highlighter">
        <source>Highlighter</source>
        <translation>Highlighter</translation>
    </message>
    <message id="tool.text">
        <source>Text</source>
        <translation>Text</translation>
    </message>
    <message id="tool.counter">
        <source>Counter</source>
        <translation>Counter</translation>
    </message>
    <message id="tool.blur">
        <source>Blur</source>
        <translation>Blur</translation>
    </message>
    <message id="tool.select">
        <source>Select</source>
        <translation>Select</translation>
    </message>
    <message id="annotation.thin">
        <source>Thin</source>
        <translation>Thin</translation>
    </message>
    <message id="annotation.medium">
        <source>Medium</source>
        <translation>Medium</translation>
    </message>
    <message id="annotation.thick">
        <source>Thick</source>
        <translation>Thick</translation>
    </message>
    <message id="annotation.textBackground">
        <source>Text on a background</source>
        <translation>Text on a background</translation>
    </message>
    <message id="annotation.red">
        <source>Red</source>
        <translation>Red</translation>
    </message>
    <message id="annotation.orange">
        <source>Orange</source>
        <translation>Orange</translation>
    </message>
    <message id="annotation.yellow">
        <source>Yellow</source>
        <translation>Yellow</translation>
    </message>
    <message id="annotation.green">
        <source>Green</source>
        <translation>Green</translation>
    </message>
    <message id="annotation.blue">
        <source>Blue</source>
        <translation>Blue</translation>
    </message>
    <message id="annotation.black">
        <source>Black</source>
        <translation>Black</translation>
    </message>
    <message id="action.pin">
        <source>Pin</source>
        <translation>Pin</translation>
    </message>
    <message id="action.pinTip">
        <source>Keep this image on top of every window</source>
        <translation>Keep this image on top of every window</translation>
    </message>
    <message id="pin.close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="pin.help">
        <source>Drag to move, wheel to zoom, Ctrl+wheel for transparency, Escape or double-click to close</source>
        <translation>Drag to move, wheel to zoom, Ctrl+wheel for transparency, Escape or double-click to close</translation>
    </message>
    <message id="capture.last">
        <source>Capture Last Area</source>
        <translation>Capture Last Area</translation>
    </message>
    <message id="capture.window">
        <source>Capture Window</source>
        <translation>Capture Window</translation>
    </message>
    <message id="status.noWindowList">
        <source>This desktop does not tell programs where its windows are: capture an area instead</source>
        <translation>This desktop does not tell programs where its windows are: capture an area instead</translation>
    </message>
    <message id="status.noWindow">
        <source>There is no window to capture</source>
        <translation>There is no window to capture</translation>
    </message>
    <message id="status.formatMissing">
        <source>%1 files cannot be written: install qt6-image-formats-plugins</source>
        <translation>%1 files cannot be written: install qt6-image-formats-plugins</translation>
    </message>
    <message id="status.settingsSaveFailed">
        <source>The settings could not be saved</source>
        <translation>The settings could not be saved</translation>
    </message>
    <message id="notify.copied">
        <source>Copied %1</source>
        <translation>Copied %1</translation>
    </message>
    <message id="notify.openFolder">
        <source>Open Folder</source>
        <translation>Open Folder</translation>
    </message>
    <message id="settings.patternSlash">
        <source>A file name cannot contain “/”</source>
        <translation>A file name cannot contain “/”</translation>
    </message>
    <message id="settings.patternEmpty">
        <source>The pattern gives an empty file name</source>
        <translation>The pattern gives an empty file name</translation>
    </message>
    <message id="preferences.title">
        <source>Preferences</source>
        <translation>Preferences</translation>
    </message>
    <message id="preferences.shortcuts">
        <source>Shortcuts</source>
        <translation>Shortcuts</translation>
    </message>
    <message id="preferences.capture">
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message id="settings.after">
        <source>After a capture</source>
        <translation>After a capture</translation>
    </message>
    <message id="settings.afterWindow">
        <source>Open the window</source>
        <translation>Open the window</translation>
    </message>
    <message id="settings.afterCopy">
        <source>Copy to the clipboard</source>
        <translation>Copy to the clipboard</translation>
    </message>
    <message id="settings.afterSave">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="settings.afterBoth">
        <source>Copy and save</source>
        <translation>Copy and save</translation>
    </message>
    <message id="settings.saveInto">
        <source>Save into</source>
        <translation>Save into</translation>
    </message>
    <message id="settings.ask">
        <source>Ask every time</source>
        <translation>Ask every time</translation>
    </message>
    <message id="settings.thisFolder">
        <source>This folder</source>
        <translation>This folder</translation>
    </message>
    <message id="settings.choose">
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message id="settings.pattern">
        <source>File name</source>
        <translation>File name</translation>
    </message>
    <message id="settings.patternHelp">
        <source>%Y year, %m month, %d day, %H hour, %M minute, %S second, %% a percent sign</source>
        <translation>%Y year, %m month, %d day, %H hour, %M minute, %S second, %% a percent sign</translation>
    </message>
    <message id="settings.format">
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message id="settings.quality">
        <source>Quality</source>
        <translation>Quality</translation>
    </message>
    <message id="action.copyText">
        <source>Copy Text</source>
        <translation>Copy Text</translation>
    </message>
    <message id="action.copyTextTip">
        <source>Copy the words in the crop as text</source>
        <translation>Copy the words in the crop as text</translation>
    </message>
    <message id="status.readingText">
        <source>Reading the text…</source>
        <translation>Reading the text…</translation>
    </message>
    <message id="status.noText">
        <source>No text found in the crop</source>
        <translation>No text found in the crop</translation>
    </message>
    <message id="status.textCopiedOne">
        <source>Copied 1 line of text</source>
        <translation>Copied 1 line of text</translation>
    </message>
    <message id="status.textCopied">
        <source>Copied %1 lines of text</source>
        <translation>Copied %1 lines of text</translation>
    </message>
    <message id="status.noTextData">
        <source>Text cannot be read: no language data is installed (package tesseract-ocr-eng, or tesseract-ocr- and your language's code)</source>
        <translation>Text cannot be read: no language data is installed (package tesseract-ocr-eng, or tesseract-ocr- and your language's code)</translation>
    </message>
    <message id="settings.afterText">
        <source>Copy the text</source>
        <translation>Copy the text</translation>
    </message>
    <message id="settings.textLanguages">
        <source>Text languages</source>
        <translation>Text languages</translation>
    </message>
    <message id="capture.scroll">
        <source>Scroll Capture…</source>
        <translation>Scroll Capture…</translation>
    </message>
    <message id="scroll.title">
        <source>Scroll Capture</source>
        <translation>Scroll Capture</translation>
    </message>
    <message id="scroll.rows">
        <source>%1 pixels tall</source>
        <translation>%1 pixels tall</translation>
    </message>
    <message id="scroll.done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="scroll.scrolling">
        <source>Scrolling the page… Done or Esc stops</source>
        <translation>Scrolling the page… Done or Esc stops</translation>
    </message>
    <message id="scroll.yourself">
        <source>Scroll the page slowly, then press Done</source>
        <translation>Scroll the page slowly, then press Done</translation>
    </message>
    <message id="scroll.lost">
        <source>Scrolled too far to follow: scroll back a little</source>
        <translation>Scrolled too far to follow: scroll back a little</translation>
    </message>
    <message id="scroll.limit">
        <source>Stopped at the height limit</source>
        <translation>Stopped at the height limit</translation>
    </message>
    <message id="scroll.unavailable">
        <source>Scrolling capture needs a faster screen capture than this desktop offers</source>
        <translation>Scrolling capture needs a faster screen capture than this desktop offers</translation>
    </message>
    <message id="scroll.brokeOff">
        <source>The scrolling capture broke off; what it had is kept</source>
        <translation>The scrolling capture broke off; what it had is kept</translation>
    </message>
    <message id="settings.scrollLimit">
        <source>Scroll Capture stops at</source>
        <translation>Scroll Capture stops at</translation>
    </message>
    <message id="settings.scrollBySelf">
        <source>Scroll the page for me</source>
        <translation>Scroll the page for me</translation>
    </message>
    <message id="settings.pixels">
        <source> pixels</source>
        <translation> pixels</translation>
    </message>
</context>
</TS>
