// Control ids of the button template's panel: one per setting, the same in
// every action's panel, so that a setting keeps its id wherever it shows.
#pragma once

namespace button_template {

enum PanelId : int {
    kPanelWindow = 1200,  // + the button number: the panel itself, a child of the main dialog
    kPanelMode = 1301,
    kPanelResolution,
    kPanelFolder,
    kPanelFormat,
    kPanelSingleFile,
    kPanelPrefix,
    kPanelDateNames,
    kPanelPromptName,
    kPanelOverwrite,
    kPanelPrinter = 1310,
    kPanelCopies,
    kPanelFit,
    kPanelHost = 1320,
    kPanelPort,
    kPanelRemoteFolder,
    kPanelUser,
    kPanelPassword,
    kPanelAnonymous,
    kPanelPassive,
    kPanelDeleteFile,
    kPanelProgram = 1330,
    kPanelCommandLine,
    kPanelLaunchOnly,
    kPanelApplication = 1340,
    kPanelCaptureProgram,
    kPanelMailTo = 1350,
    kPanelMailSubject,
    kPanelBothSides = 1360,
    kPanelDeskew,
    kPanelDropBlank,
    kPanelCrop,
    kPanelEdgeFill,
    kPanelTurnRear,
    kPanelRotateFront,
    // The "..." button of a folder or program setting: the setting's id plus this.
    kPanelBrowseOffset = 100,
};

}  // namespace button_template
