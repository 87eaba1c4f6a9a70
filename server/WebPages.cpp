#include "WebPages.h"

namespace pelmora::server {

namespace {

constexpr const char* STYLE = R"css(
:root { --soy:#3b2418; --rice:#fff8ee; --salmon:#f08a5d; --tuna:#c8553d; --nori:#2f4f3a; --wasabi:#9bbf5a; --wood:#e9d3b4; }
* { box-sizing: border-box; }
body { margin:0; background:var(--rice); color:var(--soy); font:17px/1.55 "Trebuchet MS", "Liberation Sans", Arial, sans-serif; }
header { background:linear-gradient(90deg, var(--tuna), var(--salmon)); color:var(--rice); padding:22px 0 18px; box-shadow:0 3px 0 var(--soy); }
header a { color:var(--rice); text-decoration:none; }
.wrap { max-width:820px; margin:0 auto; padding:0 20px; }
h1 { margin:0; font-size:2.1em; letter-spacing:.04em; }
.tag { opacity:.9; font-style:italic; }
.belt { height:14px; background:repeating-linear-gradient(90deg, var(--soy) 0 22px, var(--wood) 22px 44px); }
nav { background:var(--wood); padding:10px 0; }
nav a { color:var(--soy); margin-right:18px; font-weight:bold; text-decoration:none; }
nav a:hover { color:var(--tuna); }
main { padding:26px 0 40px; }
h2 { color:var(--tuna); border-bottom:3px dotted var(--salmon); padding-bottom:4px; }
.card { background:#fff; border:2px solid var(--wood); border-radius:14px; padding:18px 22px; margin:18px 0; box-shadow:0 4px 0 var(--wood); }
.plates { display:flex; gap:14px; flex-wrap:wrap; }
.plate { flex:1 1 160px; background:#fff; border-radius:50%/30%; border:4px solid var(--salmon); text-align:center; padding:22px 10px; }
.plate b { display:block; color:var(--nori); }
a { color:var(--nori); }
table { border-collapse:collapse; width:100%; background:#fff; border-radius:12px; overflow:hidden; }
th { background:var(--nori); color:var(--rice); text-align:left; padding:8px 12px; }
td { padding:8px 12px; border-top:1px solid var(--wood); }
tr:nth-child(even) td { background:#fdf1e2; }
td.num { text-align:right; font-variant-numeric:tabular-nums; }
.pager { display:flex; justify-content:space-between; align-items:center; gap:10px; margin:14px 0; }
.pager a, .pager span { min-width:6em; }
.pager a { font-weight:bold; }
.pager .next { text-align:right; }
td.badge { width:44px; padding:4px 4px 4px 10px; }
td.badge img, .chef img { display:block; }
td small { display:block; color:#7a5a44; }
td.num, .pager span { white-space:nowrap; }
.chef { display:flex; gap:22px; align-items:center; flex-wrap:wrap; }
.chef dl { display:grid; grid-template-columns:auto auto; gap:4px 18px; margin:0; }
.chef dt { font-weight:bold; color:var(--nori); }
.chef dd { margin:0; }
@media (max-width:520px) {
  body { font-size:15px; }
  .wrap { padding:0 10px; }
  th, td { padding:6px 5px; }
  th { font-size:.9em; }
  td.badge { width:34px; padding:3px; }
  td.badge img { width:30px; height:30px; }
  nav a { margin-right:10px; }
}
th.num { text-align:right; }
.rank { width:3em; }
footer { background:var(--soy); color:var(--wood); padding:14px 0; font-size:.9em; }
footer a { color:var(--wood); }
)css";

std::string layout(std::string_view title, std::string_view body) {
    std::string html;
    html += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
    html += "<title>";
    html += escapeHtml(title);
    html += " - Pelmora</title><style>";
    html += STYLE;
    html += "</style></head><body>"
            "<header><div class=\"wrap\"><h1><a href=\"/\">Pelmora</a></h1>"
            "<div class=\"tag\">The conveyor-belt sushi bar</div></div></header>"
            "<div class=\"belt\"></div>"
            "<nav><div class=\"wrap\"><a href=\"/pel-mora\">The game</a><a href=\"/pel-mora/istruzioni\">How to play</a>"
            "<a href=\"/pel-mora/classifica\">Leaderboard</a><a href=\"/pel-mora/mercato\">Get it</a></div></nav>"
            "<main><div class=\"wrap\">";
    html += body;
    html += "</div></main><footer><div class=\"wrap\">Pelmora &middot; <a href=\"/privacy\">Privacy</a> &middot; "
            "<a href=\"/condizioni\">Terms of use</a></div></footer></body></html>\n";
    return html;
}

std::string home() {
    return layout("Welcome", R"html(
<h2>Irasshaimase!</h2>
<div class="card"><p>Orders ride around the belt, each showing the plate a customer wants and its price.
Pick ingredients in the right order, serve the plate before the customer's patience runs out,
and earn experience points and yen.</p></div>
<div class="plates">
  <div class="plate"><b>Play</b><a href="/pel-mora">About the game</a></div>
  <div class="plate"><b>Learn</b><a href="/pel-mora/istruzioni">How to play</a></div>
  <div class="plate"><b>Compete</b><a href="/pel-mora/classifica">Leaderboard</a></div>
</div>)html");
}

std::string game(const std::string& latestVersion) {
    return layout("The game", R"html(
<h2>Pelmora</h2>
<div class="card"><p>A single-player arcade game set in a conveyor-belt sushi restaurant, in a window of
800 by 480 pixels. Choose a service of 6, 12 or 24 orders, build each plate from the ingredient strip and
serve it from the preparation table.</p>
<p>Latest version: <b>)html" + escapeHtml(latestVersion) + R"html(</b>. <a href="/pel-mora/mercato">Get it here</a>.</p></div>
<div class="card"><p>With a free account your experience points and yen are kept between games,
and the best chefs appear on the <a href="/pel-mora/classifica">leaderboard</a>.</p></div>)html");
}

std::string instructions() {
    return layout("How to play", R"html(
<h2>How to play</h2>
<div class="card"><ol>
<li>Watch the belt: every order shows the plate a customer wants and what they will pay.</li>
<li>Click ingredients on the strip below; only those that can follow in a recipe stay lit.</li>
<li>Click the preparation table to serve the plate: it replaces the waiting order that is closest to giving up.</li>
<li>You earn experience points at once and the order's yen when the customer has eaten.</li>
<li>Expired orders and plates nobody wants cost yen. More experience means a higher level and a faster belt.</li>
</ol></div>)html");
}

std::string market(const std::string& latestVersion) {
    return layout("Get it", R"html(
<h2>Get Pelmora</h2>
<div class="card"><p>Version <b>)html" + escapeHtml(latestVersion) + R"html(</b> for desktop Linux.
Build it from source and run it from its build folder; the package of pictures and texts comes with it.</p>
<p>The game is free. There is nothing to buy inside it: yen are earned at the sushi bar only.</p></div>)html");
}

// The same words the game shows on its privacy screen, in its five languages.
struct PrivacyText {
    const char* lang;
    const char* name;
    const char* intro;
    const char* items[6];
    const char* closing;
};

constexpr PrivacyText PRIVACY_TEXTS[] = {
    {"it", "Italiano", "Il servizio online di Pelmora conserva soltanto questi dati:",
     {"il tuo nome utente e i tuoi totali di esperienza e di yen, che compaiono nella classifica pubblica;",
      "il tuo indirizzo e-mail, che non viene mai mostrato né condiviso;",
      "un hash della password (mai la password stessa);",
      "i rapporti sui crash e la versione del gioco;",
      "per due ore al massimo, quanti accessi falliti e rapporti sui crash arrivano da ogni indirizzo di rete.",
      nullptr},
     "Nessun cookie. Niente viene venduto."},
    {"en", "English", "The Pelmora online service keeps only this data:",
     {"your user name and your experience and yen totals, which appear on the public leaderboard;",
      "your e-mail address, which is never shown or shared;",
      "a hash of your password (never the password itself);",
      "crash reports and the version of the game;",
      "for two hours at most, how many failed logins and crash reports came from each network address.",
      nullptr},
     "No cookies. Nothing is sold."},
    {"es", "Español", "El servicio en línea de Pelmora solo guarda estos datos:",
     {"tu nombre de usuario y tus totales de experiencia y yenes, que aparecen en la clasificación pública;",
      "tu dirección de correo electrónico, que nunca se muestra ni se comparte;",
      "un hash de tu contraseña (nunca la contraseña misma);",
      "los informes de fallos y la versión del juego;",
      "durante dos horas como máximo, cuántos accesos fallidos e informes de fallos llegan de cada dirección de red.",
      nullptr},
     "Sin cookies. No se vende nada."},
    {"fr", "Français", "Le service en ligne de Pelmora ne conserve que ces données :",
     {"votre nom d'utilisateur et vos totaux d'expérience et de yens, qui figurent dans le classement public ;",
      "votre adresse e-mail, qui n'est jamais affichée ni partagée ;",
      "un hachage du mot de passe (jamais le mot de passe lui-même) ;",
      "les rapports de plantage et la version du jeu ;",
      "pendant deux heures au plus, le nombre de connexions échouées et de rapports de plantage venus de chaque "
      "adresse réseau.",
      nullptr},
     "Aucun cookie. Rien n'est vendu."},
    {"de", "Deutsch", "Der Online-Dienst von Pelmora speichert nur diese Daten:",
     {"deinen Benutzernamen und deine Gesamtwerte an Erfahrung und Yen, die in der öffentlichen Bestenliste "
      "erscheinen;",
      "deine E-Mail-Adresse, die nie angezeigt oder weitergegeben wird;",
      "einen Hash deines Passworts (niemals das Passwort selbst);",
      "Absturzberichte und die Version des Spiels;",
      "höchstens zwei Stunden lang, wie viele Anmeldungen fehlschlugen und Absturzberichte von jeder "
      "Netzwerkadresse kamen.",
      nullptr},
     "Keine Cookies. Nichts wird verkauft."},
};

std::string privacy() {
    std::string body = "\n<h2>Privacy</h2>";
    for (const auto& t : PRIVACY_TEXTS) {
        body += "\n<div class=\"card\" lang=\"";
        body += t.lang;
        body += "\"><h3>";
        body += escapeHtml(t.name);
        body += "</h3><p>";
        body += escapeHtml(t.intro);
        body += "</p><ul>";
        for (const char* item : t.items) {
            if (!item) break;
            body += "<li>" + escapeHtml(item) + "</li>";
        }
        body += "</ul><p>";
        body += escapeHtml(t.closing);
        body += "</p></div>";
    }
    return layout("Privacy", body);
}

std::string terms() {
    return layout("Terms of use", R"html(
<h2>Terms of use</h2>
<div class="card"><ul>
<li>Choose a user name that offends nobody; names may be removed.</li>
<li>One account per player. Do not try to change totals other than by playing.</li>
<li>The service is offered as it is, without guarantee that it is always available.</li>
</ul></div>)html");
}

}  // namespace

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string pageLayout(std::string_view title, std::string_view body) { return layout(title, body); }

std::string notFoundPage() {
    return layout("Not found", R"html(
<h2>Nothing is served here</h2>
<div class="card"><p>This page does not exist, or no longer does.
Try the <a href="/pel-mora/classifica">leaderboard</a> or the <a href="/">home page</a>.</p></div>)html");
}

std::optional<std::string> webPage(std::string_view path, Database&, const std::string& latestVersion) {
    if (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    if (path == "/") return home();
    if (path == "/privacy") return privacy();
    if (path == "/condizioni") return terms();
    if (path == "/pel-mora") return game(latestVersion);
    if (path == "/pel-mora/istruzioni") return instructions();
    if (path == "/pel-mora/mercato") return market(latestVersion);
    return std::nullopt;
}

}  // namespace pelmora::server
