// Any bytes as the table layout, then as the belt path (each beside the real
// other one): a 24-order game screen is built on the stage and run a while.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzWorld.h"
#include "game/CGame.h"
#include "game/CTape.h"
#include "platform/Stage.h"
#include "recipes/CIngredients.h"
#include "recipes/CPreparations.h"

namespace {

void playTable(const std::string& layout, const std::string& path) {
    static const std::string ingredients = fuzzworld::packagedTable("ingredienti/ingredienti.txt");
    static const std::string preparations = fuzzworld::packagedTable("preparazioni/preparazioni.txt");
    auto& world = fuzzworld::World::get();
    // The layout names the path file; the fuzzed path is found under any name it gives.
    std::map<std::string, std::string> entries{{"assets/tavoli/game1.txt", layout},
                                               {"assets/tavoli/percorso1.txt", path},
                                               {CIngredients::FILE_NAME, ingredients},
                                               {CPreparations::FILE_NAME, preparations}};
    world.package(entries);
    CIngredients::reset();
    CTape::reset();
    CGame::reset();
    // A path without slots gives a belt that takes nothing: the game still runs.
    auto game = std::make_shared<CGame>(Value(Value::Array{Value("1"), Value(24)}));
    world.headless().stage().addChild(game);
    world.headless().step(2);
    world.headless().stage().removeChild(game);
    game->Delete();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string realLayout = fuzzworld::packagedTable("tavoli/game1.txt");
    static const std::string realPath = fuzzworld::packagedTable("tavoli/percorso1.txt");
    const std::string text(reinterpret_cast<const char*>(data), size);
    playTable(text, realPath);
    playTable(realLayout, text);
    return 0;
}
