#pragma once

#include <memory>

#include "app/CScreen.h"
#include "app/Value.h"

// The first screen: the sushi bar behind the game's name and version. It
// opens the session with the online service, hands over the crash records of
// earlier runs and shows whether the service answered.
class CWelcome : public CScreen {
public:
    explicit CWelcome(const Value& params = Value());
    void Delete() override;

    void listener_ready(scene::Event& event);
    void listener_error(scene::Event& event);
    void listener_pml_done(scene::Event& event);

    // Longest crash log sent at once: a message holds at most 64 KiB.
    static constexpr std::size_t MAX_PML_BYTES = 60000;

private:
    void aux_status(const std::string& text, std::uint32_t color);

    std::shared_ptr<scene::TextField> title_;
    std::shared_ptr<scene::TextField> status_;
};
