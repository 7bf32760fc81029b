#pragma once

class TMAIN;
class TDM1;

namespace AppScreens {
// Gives every menu entry its screen, and makes the dialogs that live for the whole run.
void registerAll(TMAIN& main, TDM1& dm);
} // namespace AppScreens
