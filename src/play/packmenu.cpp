#include "play/packmenu.h"

#include "core/printable.h"
#include "world/levelfolder.h"
#include "world/packshelf.h"
#include "world/resourcemanager.h"

#include "render/framelist.h"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/Text.hpp>
#include <algorithm>
#include <cmath>
#include <filesystem>

const char* const PackMenu::TITLE = "Zone packs";
const char* const PackMenu::KEYS = "Up, Down: choose. Return: play from its start. Escape: back";
const char* const PackMenu::FINISHED = "finished";
const char* const PackMenu::CURRENT = "playing";

void PackMenu::open(const std::string& packsFolder, const std::set<std::string>& finished)
{
    const Pack& now = LevelFolder::pack();
    lines.clear();
    Line builtIn;
    builtIn.pack = Pack::builtIn();
    lines.push_back(builtIn);
    if (!packsFolder.empty())
        for (const PackShelf::Entry& entry : PackShelf::list(packsFolder))
            lines.push_back(Line{entry.path, entry.pack, entry.refusal});
    // A pack played from elsewhere (--pack) is listed too, after the built-in one.
    const auto isNow = [&now](const Line& line) {
        return line.refusal.empty() && line.pack.kind() == now.kind() && line.pack.path() == now.path();
    };
    if (std::none_of(lines.begin(), lines.end(), isNow))
        lines.insert(lines.begin() + 1, Line{now.path(), now, std::string()});
    selected = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line& line = lines[i];
        line.current = isNow(line);
        line.finished = line.refusal.empty() && finished.count(line.pack.name()) > 0;
        if (line.current)
            selected = static_cast<int>(i);
    }
    status.clear();
    shown = true;
}

void PackMenu::move(int step)
{
    selected = std::clamp(selected + step, 0, static_cast<int>(lines.size()) - 1);
    status.clear();
}

bool PackMenu::choose(Pack& pack, std::string& refusal)
{
    const Line& line = lines[static_cast<std::size_t>(selected)];
    std::string why = line.refusal;
    Pack opened = line.pack;
    // Opened again: it may have changed since the list was made.
    if (why.empty() && line.pack.kind() != Pack::Kind::BUILT_IN)
        opened.open(line.path, why);
    if (!why.empty()) {
        status = refusal = Pack::refusal(line.path, why);
        return false;
    }
    pack = opened;
    return true;
}

namespace {

const sf::Color BACKDROP(16, 12, 22, 225);
const sf::Color CHOSEN(70, 56, 96, 235);
const sf::Color TEXT(244, 240, 232);
const sf::Color DIM(176, 168, 184);
const sf::Color REFUSED(232, 128, 112);
const sf::Color MARK(150, 216, 140);
const unsigned TITLE_SIZE = 36;
const unsigned NAME_SIZE = 22;
const unsigned SMALL_SIZE = 16;
const float MARGIN = 28.f;
const float ENTRY_HEIGHT = 58.f;
const float LIST_TOP = 84.f;
// Lines of the list on screen at once; the rest scroll into view.
const int VISIBLE = 7;

sf::Text text(const std::string& string, unsigned size, const sf::Color& colour, float x, float y)
{
    sf::Text t(sf::String::fromUtf8(string.begin(), string.end()), ResourceManager::dialogFont, size);
    t.setFillColor(colour);
    t.setPosition(std::round(x), std::round(y));
    return t;
}

// Cut to the width with an ellipsis: a long description must not run off the picture.
void fit(sf::Text& t, float width)
{
    sf::String s = t.getString();
    if (t.getLocalBounds().width <= width)
        return;
    while (!s.isEmpty() && t.getLocalBounds().width > width) {
        s.erase(s.getSize() - 1);
        t.setString(s + sf::String("..."));
    }
}

} // namespace

void PackMenu::submit(FrameList& frame) const
{
    frame.setView(frame.getDefaultView());
    const sf::Vector2f size = frame.getDefaultView().getSize();
    sf::RectangleShape backdrop(size);
    backdrop.setFillColor(BACKDROP);
    frame.draw(backdrop);
    frame.draw(text(TITLE, TITLE_SIZE, TEXT, MARGIN, 24.f));

    const int count = static_cast<int>(lines.size());
    const int first = std::clamp(selected - VISIBLE / 2, 0, std::max(0, count - VISIBLE));
    const float width = size.x - 2.f * MARGIN;
    for (int i = first; i < std::min(count, first + VISIBLE); ++i) {
        const Line& line = lines[static_cast<std::size_t>(i)];
        const float top = LIST_TOP + static_cast<float>(i - first) * ENTRY_HEIGHT;
        if (i == selected) {
            sf::RectangleShape band(sf::Vector2f(size.x - MARGIN, ENTRY_HEIGHT - 4.f));
            band.setPosition(MARGIN / 2.f, top - 4.f);
            band.setFillColor(CHOSEN);
            frame.draw(band);
        }
        const bool ok = line.refusal.empty();
        const PackInfo& info = line.pack.info();
        // A refused pack by its file's name: the whole path comes with the refusal's line.
        std::string head = ok ? info.name : printable(std::filesystem::path(line.path).filename().string());
        if (ok && !info.author.empty())
            head += "  by " + info.author;
        std::string marks;
        if (line.current)
            marks += CURRENT;
        if (line.finished)
            marks += std::string(marks.empty() ? "" : ", ") + FINISHED;
        sf::Text mark = text(marks, SMALL_SIZE, MARK, 0.f, top + 4.f);
        mark.setPosition(std::round(size.x - MARGIN - mark.getLocalBounds().width), top + 4.f);
        sf::Text name = text(head, NAME_SIZE, ok ? TEXT : REFUSED, MARGIN, top);
        fit(name, width - mark.getLocalBounds().width - 16.f);
        sf::Text about = text(ok ? info.description : "refused: " + printable(line.refusal), SMALL_SIZE,
                              ok ? DIM : REFUSED, MARGIN, top + 28.f);
        fit(about, width);
        frame.draw(name);
        frame.draw(mark);
        frame.draw(about);
    }
    const float bottom = size.y - 36.f;
    if (!status.empty()) {
        sf::Text refused = text(status, SMALL_SIZE, REFUSED, MARGIN, bottom - 26.f);
        fit(refused, width);
        frame.draw(refused);
    }
    frame.draw(text(KEYS, SMALL_SIZE, DIM, MARGIN, bottom));
}
