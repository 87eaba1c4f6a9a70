#include "screens/CWelcome.h"

#include "app/MAux.h"
#include "app/Main.h"

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
}
