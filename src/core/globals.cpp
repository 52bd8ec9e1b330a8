#include "core/globals.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
const char* SOURCE = "src/globals";
unsigned long long draws = 0;

bool isWhite(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
} // namespace

void assertionFailed(const char* condition, const char* source, int line)
{
    std::fprintf(stderr, "Assertion failed: %s, %s:%d\n", condition, source, line);
    std::fflush(stderr);
    std::abort();
}

const sf::Vector2f ZERO_VECTOR(0.f, 0.f);
const float PI = 3.1415927f;

sf::Vector2f worldToScreen(const sf::Vector2f& p)
{
    // Written this way so the y component matches the stored coordinates bit for bit.
    return sf::Vector2f(2.f * (p.x - p.y), ((p.x + p.y) * 0.5f) * 2.f);
}

sf::Vector2f screenToWorld(const sf::Vector2f& s)
{
    return sf::Vector2f((s.y + s.x / 2.f) / 2.f, (s.y - s.x / 2.f) / 2.f);
}

int randomInt()
{
    ++draws;
    return std::rand() & 0x7FFF;
}

unsigned long long randomDraws() { return draws; }

void restartRandom()
{
    std::srand(1);
    draws = 0;
}

float randomUnit() { return static_cast<float>(randomInt() / 32767.0); }

float degToRad(float degrees) { return degrees * PI / 180.f; }
float radToDeg(float radians) { return radians * 180.f / PI; }

float distance(const sf::Vector2f& a, const sf::Vector2f& b)
{
    const float dx = a.x - b.x, dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

float dot(const sf::Vector2f& a, const sf::Vector2f& b) { return a.x * b.x + a.y * b.y; }
float cross(const sf::Vector2f& a, const sf::Vector2f& b) { return a.x * b.y - a.y * b.x; }
float length(const sf::Vector2f& v) { return std::sqrt(v.x * v.x + v.y * v.y); }

sf::Vector2f normalize(const sf::Vector2f& v)
{
    const float magnitude = length(v);
    MORVANE_ASSERT(magnitude != 0.0f, SOURCE);
    return sf::Vector2f(v.x / magnitude, v.y / magnitude);
}

sf::Vector2f rotate(const sf::Vector2f& v, float degrees)
{
    const float r = degrees * PI / 180.f;
    const float c = std::cos(r), s = std::sin(r);
    return sf::Vector2f(v.x * c - v.y * s, v.x * s + v.y * c);
}

float angleBetween(const sf::Vector2f& a, const sf::Vector2f& b)
{
    const float magnitudes = length(a) * length(b);
    MORVANE_ASSERT(magnitudes != 0.0f, SOURCE);
    return std::acos(dot(a, b) / magnitudes);
}

float distance(const sf::Vector3f& a, const sf::Vector3f& b)
{
    const sf::Vector3f d = a - b;
    return length(d);
}

float dot(const sf::Vector3f& a, const sf::Vector3f& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float length(const sf::Vector3f& v) { return std::sqrt(dot(v, v)); }

sf::Vector3f normalize(const sf::Vector3f& v)
{
    const float magnitude = length(v);
    MORVANE_ASSERT(magnitude != 0.0f, SOURCE);
    return v / magnitude;
}

std::string& trimRight(std::string& s)
{
    std::size_t end = s.size();
    while (end > 0 && isWhite(s[end - 1]))
        --end;
    s.erase(end);
    return s;
}

std::string& trimLeft(std::string& s)
{
    std::size_t start = 0;
    while (start < s.size() && isWhite(s[start]))
        ++start;
    s.erase(0, start);
    return s;
}

std::string& trim(std::string& s) { return trimLeft(trimRight(s)); }
