// The browser's side of the web driver, run before the program (emcc --pre-js): the shared data
// folder kept in IndexedDB, and message boxes drawn as modal dialogs in the page.

// --- The shared data folder ---
//
// platform::commonDataFolder puts the folder under $XDG_DATA_HOME, which points here; this
// folder is an IndexedDB file system, read in before the program starts. Each file written
// there (a log entry, a save's rename over the old file, a deletion) starts a copy of the
// folder's changes to IndexedDB, one copy at a time, so what the program wrote survives a reload.

var tumblixDataFolder = '/home/web_user/.local/share';
var tumblixStorage = { copying: false, again: false, idle: [] };

function tumblixCopyToStorage() {
  if (tumblixStorage.copying) {
    tumblixStorage.again = true;  // the copy under way may have missed this change
    return;
  }
  tumblixStorage.copying = true;
  FS.syncfs(false, function (error) {
    tumblixStorage.copying = false;
    if (error) {
      console.error('The data folder could not be kept in the browser\'s storage: ' + error);
    }
    if (tumblixStorage.again) {
      tumblixStorage.again = false;
      tumblixCopyToStorage();
    } else {
      tumblixStorage.idle.splice(0).forEach(function (resume) { resume(); });
    }
  });
}

function tumblixInDataFolder(path) {
  return typeof path === 'string' && path.startsWith(tumblixDataFolder + '/');
}

// Resolves once every change made so far is in IndexedDB.
Module['storageSettled'] = function () {
  if (!tumblixStorage.copying) {
    return Promise.resolve();
  }
  return new Promise(function (resume) { tumblixStorage.idle.push(resume); });
};

Module['preRun'] = [].concat(Module['preRun'] || []);
Module['preRun'].push(function () {
  ENV['XDG_DATA_HOME'] = tumblixDataFolder;
  // SDL listens for keys on the canvas alone, so the page's own controls (a dialog's buttons)
  // get theirs.
  ENV['SDL_EMSCRIPTEN_KEYBOARD_ELEMENT'] = '#canvas';
  FS.mkdirTree(tumblixDataFolder);
  FS.mount(IDBFS, {}, tumblixDataFolder);
  addRunDependency('tumblix-storage');
  FS.syncfs(true, function (error) {
    if (error) {
      console.error('The saved data folder could not be read from the browser\'s storage: ' +
                    error);
    }
    removeRunDependency('tumblix-storage');
  });

  var close = FS.close, rename = FS.rename, unlink = FS.unlink;
  FS.close = function (stream) {
    var written = (stream.flags & 3) !== 0;  // O_WRONLY or O_RDWR
    close.apply(FS, arguments);
    if (written && tumblixInDataFolder(stream.path)) {
      tumblixCopyToStorage();
    }
  };
  FS.rename = function (from, to) {
    rename.apply(FS, arguments);
    if (tumblixInDataFolder(from) || tumblixInDataFolder(to)) {
      tumblixCopyToStorage();
    }
  };
  FS.unlink = function (path) {
    unlink.apply(FS, arguments);
    if (tumblixInDataFolder(path)) {
      tumblixCopyToStorage();
    }
  };
});

// --- Message boxes ---

var tumblixBoxStyle =
  'dialog.tumblix-box { max-width: 32em; padding: 0; border: 1px solid #888; ' +
  '  border-radius: 6px; background: #f4f4f4; color: #111; font: 15px sans-serif; }' +
  'dialog.tumblix-box::backdrop { background: rgba(0, 0, 0, 0.45); }' +
  '.tumblix-box h2 { margin: 0; padding: 8px 14px; font-size: 15px; background: #dde3ea; }' +
  '.tumblix-box .body { display: flex; gap: 14px; padding: 16px 18px; }' +
  '.tumblix-box .icon { flex: none; width: 32px; height: 32px; border-radius: 50%; ' +
  '  color: #fff; font: bold 22px/32px sans-serif; text-align: center; }' +
  '.tumblix-box .error { background: #c62828; }' +
  '.tumblix-box .warning { background: #e0a800; border-radius: 4px; }' +
  '.tumblix-box .question, .tumblix-box .information { background: #1f6fbf; }' +
  '.tumblix-box p { margin: 4px 0; white-space: pre-wrap; overflow-wrap: anywhere; ' +
  '  max-height: 60vh; overflow: auto; }' +
  '.tumblix-box .buttons { display: flex; justify-content: flex-end; gap: 8px; ' +
  '  padding: 0 14px 12px; }' +
  '.tumblix-box button { min-width: 6em; padding: 4px 12px; font: 14px sans-serif; }';

var tumblixIconSigns = { error: '\u00d7', warning: '!', question: '?', information: 'i' };

// Shows a modal dialog and resolves with the id of the button pressed. `buttons` lists
// { id, label, enter, escape }: Enter presses the focused button (the `enter` one at first),
// Escape the `escape` one. An error is also written to the console as an error.
Module['showMessageBox'] = function (caption, text, icon, buttons) {
  if (icon === 'error') {
    console.error(caption + ': ' + text);
  }
  if (!document.getElementById('tumblix-box-style')) {
    var style = document.createElement('style');
    style.id = 'tumblix-box-style';
    style.textContent = tumblixBoxStyle;
    document.head.appendChild(style);
  }
  return new Promise(function (answer) {
    var dialog = document.createElement('dialog');
    dialog.className = 'tumblix-box';
    var title = document.createElement('h2');
    title.textContent = caption;
    var body = document.createElement('div');
    body.className = 'body';
    var sign = document.createElement('div');
    sign.className = 'icon ' + icon;
    sign.textContent = tumblixIconSigns[icon] || 'i';
    var message = document.createElement('p');
    message.textContent = text;
    body.append(sign, message);
    var row = document.createElement('div');
    row.className = 'buttons';
    var escapeId = 0;
    function finish(id) {
      dialog.close();
      dialog.remove();
      if (Module['canvas']) {
        Module['canvas'].focus();
      }
      answer(id);
    }
    buttons.forEach(function (button) {
      var element = document.createElement('button');
      element.textContent = button.label;
      element.autofocus = button.enter;
      element.addEventListener('click', function () { finish(button.id); });
      row.appendChild(element);
      if (button.escape) {
        escapeId = button.id;
      }
    });
    dialog.addEventListener('cancel', function (event) {
      event.preventDefault();
      finish(escapeId);
    });
    dialog.append(title, body, row);
    document.body.appendChild(dialog);
    dialog.showModal();
  });
};
