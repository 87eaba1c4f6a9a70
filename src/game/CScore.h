#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/CSoundButton.h"
#include "platform/Display.h"

class CPxIcon;
class CQuitButton;

// The strip across the top: experience with the level badge, yen, and during
// a game the orders still to come with the sound switch and the quit sign.
// orders < 0 selects the other forms: -1 with the user's name (menus), -2 the
// last game's figures, -3 the totals (game over). The class also keeps the
// player's running totals.
class CScore : public scene::Sprite, public CSoundButtonHost {
public:
    static constexpr int HEIGHT = 80;
    // The user's name keeps this far from the figures beside it, and is drawn
    // at least at this scale when the gap between them is narrow.
    static constexpr double NAME_MARGIN = 12;
    static constexpr double NAME_MIN_SCALE = 0.5;

    explicit CScore(int orders);

    virtual void Delete();
    virtual void px_listener_click(scene::MouseEvent& event);
    virtual void yen_listener_click(scene::MouseEvent& event);
    virtual void listener_over(scene::MouseEvent& event);
    virtual void listener_out(scene::MouseEvent& event);
    // Puts the sound switch and the quit sign back to their normal look.
    void listener_mouse_over(scene::MouseEvent& event) override;
    virtual void aux_print_score();
    virtual void px_increment(int v);
    virtual void yen_increment(int v);
    virtual void yen_decrement(int v);
    virtual void orders_decrement();
    // Makes now the pictures of the figures' digits, so no figure shown in play rasterises.
    void prepareFigures();

    static int get_px() { return px_; }
    static void set_px(int v) { px_ = v; }
    static int get_yen() { return yen_; }
    static void set_yen(int v) { yen_ = v; }
    // The totals as the service reported them in this run, plus the gains it
    // has not yet acknowledged: only totals that came from the service may be
    // sent back to it at the end of a game.
    static void setTotalsFromService(int px, int yen);
    static bool totalsFromService() { return totals_from_service_; }
    // Gains of the logged-in player's finished games that the service has not
    // acknowledged yet. They stay here, whatever fails, until a reply to an
    // upload that carries them arrives; fetched totals get them added once.
    static void keepPending(int px, int yen);
    static bool hasPending() { return pending_px_ != 0 || pending_yen_ != 0; }
    static void acknowledgePending() { pending_px_ = pending_yen_ = 0; }

    int orders_ = 0;
    std::shared_ptr<scene::TextField> pxtext_;
    std::shared_ptr<CPxIcon> pximage_;
    scene::TextFormat pxformat_;
    std::shared_ptr<scene::TextField> yentext_;
    scene::TextFormat yenformat_;
    std::shared_ptr<scene::TextField> orderstext_;
    std::optional<scene::TextFormat> ordersformat_;
    std::shared_ptr<CSoundButton> csoundbutton_;
    std::shared_ptr<CQuitButton> cquitbutton_;
    std::shared_ptr<scene::Sprite> yenicon_;
    // The logged-in user's name on the menus' strip (orders == -1).
    std::shared_ptr<scene::TextField> nametext_;

    static int px_;
    static int yen_;
    static int actual_px_;
    static int actual_yen_;
    static bool totals_from_service_;
    static int pending_px_;
    static int pending_yen_;
    // Back to the state at program start (tests only).
    static void reset();

private:
    std::shared_ptr<scene::TextField> aux_figure(const scene::TextFormat& format, double x, double y, double width,
                                                 const scene::GlowFilter& glow);
    static void aux_set_text(scene::TextField& field, int value);
    void aux_user_name(const std::string& name);
    void aux_place_name();
};
