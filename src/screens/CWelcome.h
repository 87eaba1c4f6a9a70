#pragma once

#include <memory>
#include <vector>

#include "app/CPictureWarmer.h"
#include "app/CScreen.h"
#include "app/Value.h"
#include "ui/CButton.h"

class CButtonLanguage;
class CScore;

// The hub screen. On the first visit of a run, and whenever no session with
// the service exists, it opens the session, hands over the crash records of
// earlier runs and fetches the tables, then shows its menu: language flags,
// privacy and credits, the title with the version, instructions, and, when
// the service could not be reached, an explanation and a retry button.
class CWelcome : public CScreen {
public:
    explicit CWelcome(const Value& params = Value());
    void Delete() override;

    void aux_crypt_ready(scene::Event& event);
    void aux_crypt_version(scene::Event& event);
    void aux_crypt_error(scene::Event& event);
    void aux_pml_ready(scene::Event& event);
    void aux_ingredients_ready(scene::Event& event);
    void aux_levels_ready(scene::Event& event);
    void aux_error(scene::Event& event);
    void aux_score_retrieve(scene::Event& event);
    // The reply to totals sent with gains the service had not acknowledged.
    void aux_score_resent(scene::Event& event);
    void aux_welcome_menu(bool unavailable);

    // Longest crash log sent at once: a message holds at most 64 KiB, so the
    // newest records are kept.
    static constexpr std::size_t MAX_PML_BYTES = 60000;

    // The newest whole records of a crash log that fit in limit bytes.
    static std::string newestRecords(const std::string& log, std::size_t limit);
    // The five language flags in a row from the top right corner leftwards,
    // the current language on; the new-version screen shows the same row.
    static std::vector<std::shared_ptr<CButtonLanguage>> aux_add_flags(scene::DisplayObjectContainer& screen);

    static bool first_time_;
    // Whether the start-up sequence (version check, crash log, ingredients,
    // levels) has run to its end in this run. Until it has, every welcome
    // screen runs it again, even one built after the menu was first shown.
    static bool startup_done_;
    std::vector<std::shared_ptr<CButtonLanguage>> languages_;
    std::shared_ptr<CScore> score_;

    // Back to the state at program start (tests only).
    static void reset() {
        first_time_ = true;
        startup_done_ = false;
    }

private:
    void aux_stop_handshake();
    void aux_send(const std::string& command, const std::string& payload, void (CWelcome::*done)(scene::Event&));
    void aux_stop(const std::string& command, void (CWelcome::*done)(scene::Event&));
    // Stops listening for every download of the start-up sequence and its failure.
    void aux_stop_downloads();
    // For a logged-in player: fetches the stored totals, or sends the totals
    // that hold gains the service has not acknowledged.
    void aux_sync_totals();
    void aux_send_totals();
    std::shared_ptr<CPictureWarmer> warmer_ = CPictureWarmer::create();
};

class CButtonWelcomeInstructions : public CButton {
public:
    explicit CButtonWelcomeInstructions(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

// Starts a game: online through the login or the duration choice, offline
// through the game screen, which sends a game without its length to the duration choice.
class CButtonWelcomeStartGame : public CButton {
public:
    explicit CButtonWelcomeStartGame(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

// Offline play from the reduced menu: the duration choice.
class CButtonWelcomePlayGame : public CButton {
public:
    explicit CButtonWelcomePlayGame(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};

class CButtonWelcomeRetry : public CButton {
public:
    explicit CButtonWelcomeRetry(scene::DisplayObjectContainer* parent);
    void listener_click(scene::MouseEvent& event) override;
};
