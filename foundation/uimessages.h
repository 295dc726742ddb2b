#pragma once

/// Lets windows repaint during long work on the UI thread without taking
/// user input: pending events other than keyboard and mouse are handled,
/// so no click or key reaches the program while the work runs. Does nothing
/// without an application object.
void PumpUiMessages();

/// True when the application object is a QGuiApplication: only then are
/// there a cursor, a clipboard and a keyboard to ask. A QCoreApplication
/// (tools, benchmarks) or none gives false.
bool HasGuiApplication();
