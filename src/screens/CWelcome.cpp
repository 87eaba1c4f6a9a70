#include "screens/CWelcome.h"

#include "app/MAux.h"
#include "app/Main.h"
#include "net/CNetworking.h"
#include "net/CServiceCommands.h"

CWelcome::CWelcome(const Value&) {
    MAux::randomBackground(*this);
    title_ = std::make_shared<scene::TextField>();
    title_->setDefaultTextFormat(scene::TextFormat(MAux::FONTNAME, 40, 0x5A1E0E, true, scene::TextFormatAlign::CENTER));
    title_->setText("Pelmora " + Main::VERSION);
    title_->setWidth(800);
    title_->setHeight(56);
    title_->setY(40);
    title_->setMouseEnabled(false);
    title_->setFilters({scene::GlowFilter(0xFFFF80, 1.0, 3, 3, 3, 3)});
    addChild(title_);

    status_ = std::make_shared<scene::TextField>();
    status_->setDefaultTextFormat(scene::TextFormat(MAux::FONTNAME, 14, 0x5A1E0E, true, scene::TextFormatAlign::RIGHT));
    status_->setWidth(300);
    status_->setHeight(22);
    status_->setX(490);
    status_->setY(452);
    status_->setMouseEnabled(false);
    addChild(status_);

    for (const char* type : {CNetworkingEvent::READY, CNetworkingEvent::VERSION}) {
        addEventListener(type, this, &CWelcome::listener_ready);
    }
    addEventListener(CNetworkingEvent::ERROR, this, &CWelcome::listener_error);
    addEventListener(CNetworkingEvent::GetType(CServiceCommands::PML), this, &CWelcome::listener_pml_done);
    aux_status("...", 0x5A1E0E);
    CNetworking::PrepareCryptChannel(this);
}

void CWelcome::Delete() {
    for (const char* type : {CNetworkingEvent::READY, CNetworkingEvent::VERSION}) {
        removeEventListener(type, this, &CWelcome::listener_ready);
    }
    removeEventListener(CNetworkingEvent::ERROR, this, &CWelcome::listener_error);
    removeEventListener(CNetworkingEvent::GetType(CServiceCommands::PML), this, &CWelcome::listener_pml_done);
}

void CWelcome::aux_status(const std::string& text, std::uint32_t color) {
    status_->setTextColor(color);
    status_->setText(text);
}

void CWelcome::listener_ready(scene::Event&) {
    aux_status(CNetworking::isCryptReady() ? "online" : "offline", CNetworking::isCryptReady() ? 0x1E6B2E : 0x7A4A3A);
    if (!CNetworking::isCryptReady() || !scene::files::exists("Pelmora.pml")) return;
    auto log = scene::files::read("Pelmora.pml");
    if (!log || log->empty()) return;
    std::string text(log->begin(), log->end());
    // Keep the newest records when the log is longer than one message.
    if (text.size() > MAX_PML_BYTES) text = text.substr(text.size() - MAX_PML_BYTES);
    std::make_shared<CNetworking>()->SendAsync(CServiceCommands::PML, text, this);
}

void CWelcome::listener_pml_done(scene::Event&) { scene::files::remove("Pelmora.pml"); }

void CWelcome::listener_error(scene::Event&) { aux_status("offline", 0x7A4A3A); }
