// The editor's side of keeping work: saving, the questions before anything unsaved is
// dropped or another zone's file is written over, recovery files, and the play-test.

#include "editor/stateeditor.h"

#include "core/printable.h"
#include "play/stategame.h"
#include "world/levelfolder.h"
#include "world/zone.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>

namespace {

const char* const MSG_SAVED = "Saved!";
const char* const MSG_SAVE_FAILED = "Failed to save!";
const char* const MSG_NEEDS_ID = "Give the zone an id first: id <n>.";
const char* const MSG_UNSAVED = "Unsaved changes to zone %d. Save first? y = save, n = discard, Escape = stay";
const char* const MSG_OVERWRITE = "Zone %d exists (%s). Overwrite? y/n";
const char* const MSG_NOT_SAVED = "Not saved.";
const char* const MSG_STAYED = "Nothing saved, nothing dropped.";
const char* const MSG_LOAD_FAILED = "Failed to load zone %d! (%s)";
const char* const MSG_LOADED = "Loaded zone %d (%s), %d x %d tiles.";
const char* const MSG_NEW = "New zone (%d, %d)";
const char* const MSG_RECOVERY_OFFER = "Recovered unsaved zone %d from %s. load recovery / discard recovery";
const char* const MSG_RECOVERY_LOADED = "Loaded the recovery of zone %d from %s. Save to keep it.";
const char* const MSG_RECOVERY_REFUSED = "Recovery file %s does not load (%s); it is left as it is.";
const char* const MSG_RECOVERY_DISCARDED = "Discarded %s.";
const char* const MSG_NO_RECOVERY = "No recovery file is waiting.";
const char* const MSG_RECOVERY_FAILED = "Could not write the recovery file %s: %s. Editing goes on.";
const char* const MSG_RECOVERY_ELSEWHERE = "Not writing over %s, which this editor did not write: the recovery goes to %s.";
const char* const MSG_NO_PLAY_STATE = "There is no play state to test in.";
const char* const MSG_TESTING = "Play-testing zone %d: F5 or F12 comes back.";
const char* const MSG_BACK = "Back from the play-test.";

bool fileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The name a zone file gives itself, for the overwrite question.
std::string zoneNameIn(int zoneId)
{
    std::string bytes;
    std::string why;
    Zone probe(0, 1, 1, nullptr);
    if (!Zone::readFile(LevelFolder::readPath(zoneId), bytes, why) || !probe.loadBytes(bytes, why))
        return "unreadable";
    return probe.name;
}

} // namespace

// --- questions ---

void StateEditor::request(Pending what, int a, int b)
{
    pending = what;
    pendingA = a;
    pendingB = b;
    if (what == Pending::NONE)
        return;
    if (history.isUnsaved())
        ask(Question::UNSAVED);
    else
        perform(what);
}

bool StateEditor::mayClose()
{
    if (!currZone || !history.isUnsaved())
        return true;
    // Asked once, however many closes come while the question stands.
    if (question == Question::UNSAVED && pending == Pending::QUIT)
        return false;
    request(Pending::QUIT);
    return false;
}

void StateEditor::ask(Question what)
{
    // The question stands in the console, shown until it is answered.
    if (question == Question::NONE)
        consoleWasHidden = console.hidden;
    question = what;
    console.hidden = false;
    endStroke();
    if (what == Question::UNSAVED)
        console.print(MSG_UNSAVED, currZone->id);
    else
        console.print(MSG_OVERWRITE, currZone->id, printable(zoneNameIn(currZone->id)).c_str());
}

void StateEditor::closeQuestion()
{
    question = Question::NONE;
    console.hidden = consoleWasHidden;
}

void StateEditor::answer(sf::Keyboard::Key key)
{
    const Question asked = question;
    if (key != sf::Keyboard::Y && key != sf::Keyboard::N && key != sf::Keyboard::Escape)
        return;
    // The Escape that asked, repeating while still held down, is no answer.
    if (key == sf::Keyboard::Escape && escapeLatch)
        return;
    closeQuestion();
    if (key == sf::Keyboard::Escape)
        escapeLatch = true; // the key still down is no fresh request to quit
    if (asked == Question::UNSAVED && key == sf::Keyboard::Y) {
        if (currZone->id < 0) {
            console.print("%s", MSG_SAVE_FAILED);
            console.print("%s", MSG_NEEDS_ID);
            // Left open, to read that and type the id.
            console.hidden = false;
            pending = Pending::NONE;
            return;
        }
        requestSave();
    } else if (asked == Question::UNSAVED && key == sf::Keyboard::N) {
        perform(pending);
    } else if (asked == Question::OVERWRITE && key == sf::Keyboard::Y) {
        if (writeZone())
            perform(pending);
        pending = Pending::NONE;
    } else {
        console.print("%s", asked == Question::OVERWRITE ? MSG_NOT_SAVED : MSG_STAYED);
        pending = Pending::NONE;
    }
}

void StateEditor::perform(Pending what)
{
    pending = Pending::NONE;
    switch (what) {
    case Pending::QUIT: exitTo = STATE_QUIT; break;
    case Pending::LEAVE: exitTo = STATE_GAME; break;
    case Pending::LOAD: loadZone(pendingA); break;
    case Pending::NEW: newZone(pendingA, pendingB); break;
    case Pending::LOAD_RECOVERY: loadOfferedRecovery(); break;
    case Pending::NONE: break;
    }
}

// --- saving ---

void StateEditor::requestSave()
{
    const int id = currZone->id;
    if (id >= 0 && id != source && fileExists(LevelFolder::readPath(id))) {
        ask(Question::OVERWRITE);
        return;
    }
    if (writeZone())
        perform(pending);
    pending = Pending::NONE;
}

bool StateEditor::writeZone()
{
    endStep();
    const bool saved = currZone->save();
    console.print("%s", saved ? MSG_SAVED : MSG_SAVE_FAILED);
    if (saved) {
        source = currZone->id;
        history.markSaved(source);
        clearRecovery();
    }
    return saved;
}

void StateEditor::loadZone(int zoneId)
{
    auto loaded = std::make_unique<Zone>(0, 1, 1, nullptr);
    bool accepted = false;
    std::string why;
    loaded->load(zoneId, &accepted, &why);
    if (!accepted) {
        console.print(MSG_LOAD_FAILED, zoneId, why.c_str());
        return;
    }
    replaceZone(std::move(loaded), zoneId, "load " + std::to_string(zoneId));
    history.markLoaded(zoneId);
    console.print(MSG_LOADED, currZone->id, printable(currZone->name).c_str(), currZone->getWidth(), currZone->getHeight());
}

void StateEditor::newZone(int w, int h)
{
    replaceZone(std::make_unique<Zone>(-1, w, h, nullptr), -1, "new " + std::to_string(w) + " " + std::to_string(h));
    history.markLoaded(EditHistory::FRESH);
    console.print(MSG_NEW, w, h);
}

// --- recovery ---

void StateEditor::offerRecovery()
{
    recoveryOffers = RecoveryFile::findOffers();
    if (!recoveryOffers.empty())
        offerNextRecovery();
}

void StateEditor::loadRecovery()
{
    if (recoveryOffers.empty())
        console.print("%s", MSG_NO_RECOVERY);
    else
        request(Pending::LOAD_RECOVERY);
}

void StateEditor::loadOfferedRecovery()
{
    if (recoveryOffers.empty())
        return;
    const RecoveryFile::Offer offer = recoveryOffers.front();
    recoveryOffers.erase(recoveryOffers.begin());
    std::string why;
    std::unique_ptr<Zone> recovered = RecoveryFile::read(offer, why);
    if (!recovered) {
        console.print(MSG_RECOVERY_REFUSED, offer.path.c_str(), why.c_str());
    } else {
        // Not marked as matching any file: it is unsaved work until it is saved.
        replaceZone(std::move(recovered), offer.zoneId, "load recovery");
        recovery.adopt(offer.path);
        console.print(MSG_RECOVERY_LOADED, offer.zoneId, RecoveryFile::timeText(offer.written, std::time(nullptr)).c_str());
    }
    if (!recoveryOffers.empty())
        offerNextRecovery();
}

void StateEditor::discardRecovery()
{
    if (recoveryOffers.empty()) {
        console.print("%s", MSG_NO_RECOVERY);
        return;
    }
    const std::string path = recoveryOffers.front().path;
    recoveryOffers.erase(recoveryOffers.begin());
    std::remove(path.c_str());
    console.print(MSG_RECOVERY_DISCARDED, path.c_str());
    if (!recoveryOffers.empty())
        offerNextRecovery();
}

void StateEditor::offerNextRecovery()
{
    const RecoveryFile::Offer& offer = recoveryOffers.front();
    console.print(MSG_RECOVERY_OFFER, offer.zoneId, RecoveryFile::timeText(offer.written, std::time(nullptr)).c_str());
}

void StateEditor::keepRecovery()
{
    // Counts only while there is unsaved work the file does not hold yet.
    if (!history.isUnsaved() || history.place() == recoveryPlace) {
        recoveryTimer = 0;
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (recoveryTimer++ == 0)
        recoveryStart = now;
    // A frame is a sixtieth of a second only while the editor keeps up: the clock decides too.
    if (recoveryTimer >= RecoveryFile::INTERVAL_FRAMES || now - recoveryStart >= RecoveryFile::INTERVAL)
        writeRecovery();
}

void StateEditor::writeRecovery()
{
    recoveryTimer = 0;
    const std::string plain = RecoveryFile::pathFor(currZone->id);
    const std::string before = recovery.lastPath();
    std::string why;
    if (!recovery.write(*currZone, why)) {
        console.print(MSG_RECOVERY_FAILED, plain.c_str(), why.c_str());
        return;
    }
    // Said once for each file the recovery turns to, not at every write.
    if (recovery.lastPath() != plain && recovery.lastPath() != before)
        console.print(MSG_RECOVERY_ELSEWHERE, plain.c_str(), recovery.lastPath().c_str());
    recoveryPlace = history.place();
}

void StateEditor::clearRecovery()
{
    recovery.remove();
    recoveryPlace = 0;
    recoveryTimer = 0;
}

// --- play-test ---

StateGame* StateEditor::game() const
{
    return states != nullptr ? dynamic_cast<StateGame*>(states[STATE_GAME]) : nullptr;
}

void StateEditor::startPlayTest()
{
    StateGame* play = game();
    if (!play) {
        console.print("%s", MSG_NO_PLAY_STATE);
        return;
    }
    endStep();
    if (history.isUnsaved() && history.place() != recoveryPlace)
        writeRecovery();
    PlayTest run;
    run.zoneBytes = currZone->encode();
    run.start = mouseWorld();
    play->startTest(run);
    testing = true;
    exitTo = STATE_GAME;
    console.print(MSG_TESTING, currZone->id);
}

void StateEditor::returnFromTest()
{
    testing = false;
    // The keys that ended the test may still be down.
    switchLatch = true;
    f5Latch = true;
    escapeLatch = true;
    leftHeld = true;
    camera.apply(*frame);
    console.print("%s", MSG_BACK);
    StateGame* play = game();
    if (play && play->takeTestEnd() == TestEnd::QUIT)
        request(Pending::QUIT);
}
