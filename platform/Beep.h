#pragma once

#include <functional>

// The system beep that answers input we cannot take.
void beep();

// Replaces the beep, for tests that count beeps; an empty function restores the real one.
void setBeepHandler(std::function<void()> handler);
