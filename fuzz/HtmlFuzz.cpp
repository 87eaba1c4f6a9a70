// Any bytes as the HTML subset of a text field: laid out, wrapped and drawn.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzWorld.h"
#include "platform/Stage.h"
#include "platform/TextField.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto& stage = fuzzworld::World::get().headless().stage();
    auto field = std::make_shared<scene::TextField>();
    field->setMultiline(true);
    field->setWordWrap(true);
    field->setWidth(240);
    field->setHtmlText(std::string(reinterpret_cast<const char*>(data), size));
    (void)field->text();
    stage.addChild(field);
    fuzzworld::World::get().headless().render();
    stage.removeChild(field);
    return 0;
}
