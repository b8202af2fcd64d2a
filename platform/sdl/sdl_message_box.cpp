// Message boxes through SDL. The style's button set and icon map onto SDL's; the answer is the
// OS's ID* number of the button pressed.
#include <SDL.h>

#include <vector>

#include "platform/constants.h"
#include "platform/os.h"

using namespace platform;

namespace {

std::vector<SDL_MessageBoxButtonData> buttonsOf(uint32_t style) {
    const Uint32 enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const Uint32 escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (style & MB_TYPEMASK) {
        case MB_YESNO:
            return {{enter, IDYES, "Yes"}, {escape, IDNO, "No"}};
        case MB_CANCELTRYCONTINUE:
            return {{escape, IDCANCEL, "Cancel"},
                    {enter, IDTRYAGAIN, "Try Again"},
                    {0, IDCONTINUE, "Continue"}};
        default:
            return {{enter | escape, IDOK, "OK"}};
    }
}

Uint32 iconOf(uint32_t style) {
    switch (style & MB_ICONMASK) {
        case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
        case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
        default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

namespace platform {

int messageBox(const std::string& text, const std::string& caption, uint32_t style) {
    std::vector<SDL_MessageBoxButtonData> buttons = buttonsOf(style);
    SDL_MessageBoxData box{};
    box.flags = iconOf(style) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = static_cast<int>(buttons.size());
    box.buttons = buttons.data();
    int pressed = 0;
    if (SDL_ShowMessageBox(&box, &pressed) != 0) {
        return 0;
    }
    // Closing the box without a button reports -1; take it as the escape button.
    if (pressed < 0) {
        for (const auto& button : buttons) {
            if (button.flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT) {
                return button.buttonid;
            }
        }
        return 0;
    }
    return pressed;
}

}  // namespace platform
