#pragma once

// Start and end of the forms unit (hook, frame, message dialog).

namespace skin {

void InitFormsUnit();
void FinalizeFormsUnit();

// Registers the frame-button pictures "SK_FORM_*" as named resources; runs
// before main, so that the drawing unit finds them when it starts.
void RegisterFrameButtonPictures();
// Installs the combo boxes' frame switch (part of InitFormsUnit).
void InstallComboFrames();

}  // namespace skin
