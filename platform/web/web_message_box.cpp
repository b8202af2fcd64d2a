// Message boxes in the browser: a modal dialog drawn in the page (Module.showMessageBox in
// tumblix_web.js) with the style's caption, icon, text and buttons. The program waits for the
// answer as it waits in a sleep (ASYNCIFY), so the box blocks as it does elsewhere; the answer
// is the OS's ID* number of the button pressed.
#include <emscripten/emscripten.h>

#include <string>

#include "platform/constants.h"
#include "platform/os.h"

using namespace platform;

namespace {

// The buttons as the page reads them: a JSON list of {id, label, enter, escape}, left to right.
const char* buttonsOf(uint32_t style) {
    switch (style & MB_TYPEMASK) {
        case MB_YESNO:
            return R"([{"id": 6, "label": "Yes", "enter": true},
                       {"id": 7, "label": "No", "escape": true}])";
        case MB_CANCELTRYCONTINUE:
            return R"([{"id": 2, "label": "Cancel", "escape": true},
                       {"id": 10, "label": "Try Again", "enter": true},
                       {"id": 11, "label": "Continue"}])";
        default:
            return R"([{"id": 1, "label": "OK", "enter": true, "escape": true}])";
    }
}

const char* iconOf(uint32_t style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONHAND: return "error";
        case MB_ICONEXCLAMATION: return "warning";
        case MB_ICONQUESTION: return "question";
        default: return "information";
    }
}

}  // namespace

// 0 when the page offers no dialog (a page not made by tumblix_web_page).
EM_ASYNC_JS(int, showDialog, (const char* caption, const char* text, const char* icon,
                              const char* buttons), {
    if (typeof Module['showMessageBox'] !== 'function') {
        return 0;
    }
    return await Module['showMessageBox'](UTF8ToString(caption), UTF8ToString(text),
                                          UTF8ToString(icon), JSON.parse(UTF8ToString(buttons)));
});

namespace platform {

static_assert(IDOK == 1 && IDCANCEL == 2 && IDYES == 6 && IDNO == 7 && IDTRYAGAIN == 10 &&
              IDCONTINUE == 11, "the button lists above name the answers by number");

int messageBox(const std::string& text, const std::string& caption, uint32_t style) {
    return showDialog(caption.c_str(), text.c_str(), iconOf(style), buttonsOf(style));
}

}  // namespace platform
