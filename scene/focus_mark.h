// The keyboard focus mark: a black and white frame around the place on the
// screen of the object the keyboard focus is on, drawn over a finished
// frame. Never part of the pick pass.
#pragma once

// Where the mark goes, in window pixels (origin bottom left, as the GL
// counts them); `shown` is false when nothing has the focus.
struct FocusMark {
    bool shown;
    int left, bottom, right, top;
};

// The frame around object `name` (a selection name, 0 for none) as the
// next DrawScene will draw it: the pass advances the angles after drawing,
// so the place is taken before it. Needs the screen projection and
// viewport in force; draws nothing.
FocusMark PlaceFocusMark(unsigned int name);
// Draws the mark over whatever the frame holds, and leaves every GL state
// as it found it. Nothing at all when the mark is not shown.
void DrawFocusMark(const FocusMark &mark);
