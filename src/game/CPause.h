#pragma once

#include <memory>

#include "app/CScreen.h"
#include "ui/CButton.h"
#include "platform/Display.h"

class CQuitButton;

// The pause overlay over a suspended game: the game dimmed beneath a panel
// with "Paused", a resume button and the quit sign. P, Escape or the button
// close it and the game goes on from the frame it stood still on.
class CPause : public CScreen {
public:
    CPause();
    void Delete() override;
    virtual void listener_key_down(scene::KeyboardEvent& event);
    // Closes the overlay and resumes the game beneath it.
    void resumeGame();

    std::shared_ptr<CQuitButton> cquitbutton_;

private:
    bool closed_ = false;
};

class CButtonPauseResume : public CButton {
public:
    explicit CButtonPauseResume(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
