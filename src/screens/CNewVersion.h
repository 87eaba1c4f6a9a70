#pragma once

#include <memory>
#include <vector>

#include "app/CScreen.h"
#include "app/Value.h"
#include "ui/CButton.h"

class CButtonLanguage;

// Tells the player that the service announces a newer version: one button
// opens the download page, the other dismisses the notice for the rest of the
// run. The language flags work here as on the welcome menu.
class CNewVersion : public CScreen {
public:
    explicit CNewVersion(const Value& params = Value());

    std::vector<std::shared_ptr<CButtonLanguage>> languages_;
};

// Opens the download page in the browser; the notice stays.
class CButtonNewVersionMore : public CButton {
public:
    explicit CButtonNewVersionMore(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

// No more version notices in this run; back to the welcome screen.
class CButtonNewVersionReturn : public CButton {
public:
    explicit CButtonNewVersionReturn(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
