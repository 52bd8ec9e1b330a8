#pragma once
// Test-only entities and byte helpers shared by the world-model tests.

#include "world/entity.h"
#include "world/entitymanager.h"
#include "testsupport.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Declared before any Zone member of a fixture: tiles need the tile images loaded.
struct ResourcesLoaded {
    ResourcesLoaded() { testsupport::loadTestResources(); }
};

// A bare entity that notes, in a shared log, what the manager asks of it.
class ProbeEntity final : public Entity {
public:
    ProbeEntity(EntityManager* managerIn, std::vector<std::string>* logIn, int typeValue = TYPE_TEST_ENTITY)
        : Entity(typeValue, managerIn), log(logIn)
    {
    }
    ~ProbeEntity() override
    {
        if (destroyed)
            ++*destroyed;
    }

    void update(Zone&) override
    {
        note("update " + std::to_string(id));
        if (dieOnUpdate)
            dead = true;
    }
    void onCollide(Entity& other, const sf::Vector2f& push) override
    {
        note("collide " + std::to_string(id) + "-" + std::to_string(other.getID()));
        lastPush = push;
    }
    void animate() override { note("animate " + std::to_string(id)); }
    void submit(FrameList&) const override { note("submit " + std::to_string(id)); }

    std::vector<std::string>* log;
    int* destroyed = nullptr;
    bool dieOnUpdate = false;
    sf::Vector2f lastPush;

private:
    void note(const std::string& line) const
    {
        if (log)
            log->push_back(line);
    }
};

inline ProbeEntity* addProbe(EntityManager& manager, sf::Vector2f at, float r,
                             std::vector<std::string>* log = nullptr, int typeValue = Entity::TYPE_TEST_ENTITY)
{
    ProbeEntity* e = manager.add(std::make_unique<ProbeEntity>(&manager, log, typeValue));
    e->position = at;
    e->radius = r;
    return e;
}

// Builds zone-file bytes by hand, little-endian.
class Bytes {
public:
    Bytes& i32(int32_t v)
    {
        const uint32_t u = static_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            data.push_back(static_cast<char>((u >> shift) & 0xFF));
        return *this;
    }
    Bytes& f32(float v)
    {
        uint32_t u = 0;
        std::memcpy(&u, &v, 4);
        return i32(static_cast<int32_t>(u));
    }
    Bytes& b8(int v)
    {
        data.push_back(static_cast<char>(v));
        return *this;
    }
    Bytes& str(const std::string& s)
    {
        i32(static_cast<int32_t>(s.size()));
        data += s;
        return *this;
    }
    // Zone header and a grid of default floor tiles.
    Bytes& header(int zoneId, const std::string& zoneName, int w, int h)
    {
        i32(zoneId).str(zoneName).i32(w).i32(h);
        for (int t = 0; t < w * h; ++t)
            i32(2).i32(0).i32(-1);
        return *this;
    }
    Bytes& entity(int type, int entityId, float x, float y, float r)
    {
        return i32(type).i32(entityId).f32(x).f32(y).f32(r);
    }

    std::string data;
};

// "0a ff ..." for readable byte comparisons.
inline std::string hex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}
