// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Handlers of the main window run through Guarded: an error that escapes one ends that handler
// and is reported, and the processing of the event goes on. Qt does not let exceptions travel
// through its signal emission, so the net is put at the slot's edge; the application object's
// notify() is the net for everything else.

#include "app/application.h"

#include <type_traits>
#include <utility>

template <class Handler> auto Guarded(Handler handler) {
    // Qt passes a signal's arguments; a handler may take them or none.
    return [handler = std::move(handler)](auto&&... args) {
        try {
            if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (...) {
            App()->ReportCurrentException();
        }
    };
}
