#pragma once

/// Lets windows repaint during long work on the UI thread without taking
/// user input: pending events other than keyboard and mouse are handled,
/// so no click or key reaches the program while the work runs. Does nothing
/// without an application object.
void PumpUiMessages();
