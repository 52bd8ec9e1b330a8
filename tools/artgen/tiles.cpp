// Ground and wall tiles. Floors are 128 x 64 diamonds with hard edges so that
// neighbours meet without seams; their patterns are functions of the position inside
// the tile's 32 x 32 world square and wrap at its edges, so a field of one kind
// reads as one surface. Walls are boxes on the full footprint, rising above it.

#include "iso.h"
#include "jobs.h"
#include "noise.h"
#include "palette.h"

#include <cmath>

namespace art {
namespace {

const int TILE_W = 128;
const int TILE_H = 64;

using FloorShader = std::function<Col(float wx, float wy)>;

Canvas floorTile(const FloorShader& shade)
{
    Canvas c(TILE_W, TILE_H);
    for (int y = 0; y < TILE_H; ++y)
        for (int x = 0; x < TILE_W; ++x) {
            const float sx = x + 0.5f - 64.0f, sy = y + 0.5f;
            if (std::fabs(sx) / 64.0f + std::fabs(sy - 32.0f) / 32.0f > 1.0f)
                continue;
            const float wx = (sy + sx * 0.5f) * 0.5f, wy = (sy - sx * 0.5f) * 0.5f;
            c.blend(x, y, shade(wx, wy), 1.0f);
        }
    return c;
}

float fmodPos(float v, float m) { return v - m * std::floor(v / m); }

Col grass(float wx, float wy)
{
    const float broad = noise(wx / 4, wy / 4, 8, 11);
    const float fine = rnd(wrap(static_cast<int>(wx * 2.5f), 80), wrap(static_cast<int>(wy * 2.5f), 80), 12);
    Col c = mix(pal::GRASS_DARK, pal::GRASS, smoothstep(0.25f, 0.75f, broad));
    if (fine > 0.86f)
        c = mix(c, pal::GRASS_LIGHT, 0.8f);
    else if (fine < 0.12f)
        c = scaled(c, 0.82f);
    return c;
}

Col asphalt(float wx, float wy)
{
    const float broad = noise(wx / 6, wy / 6, 6, 21) * 0.5f + noise(wx / 2, wy / 2, 16, 22) * 0.5f;
    const float grit = rnd(wrap(static_cast<int>(wx * 3), 96), wrap(static_cast<int>(wy * 3), 96), 23);
    Col c = scaled(pal::ASPHALT, 0.9f + 0.16f * broad);
    if (grit > 0.93f)
        c = scaled(c, 1.28f);
    else if (grit < 0.06f)
        c = scaled(c, 0.74f);
    return c;
}

Col laneAsphalt(float wx, float wy)
{
    Col c = asphalt(wx, wy);
    if (wy > 14.9f && wy < 17.1f && wx > 5.0f && wx < 27.0f) {
        const float wear = noise(wx * 1.5f, wy * 1.5f, 48, 31);
        c = mix(pal::LANE, c, smoothstep(0.6f, 0.9f, wear) * 0.7f);
    }
    return c;
}

Col paving(float wx, float wy)
{
    const float u = fmodPos(wx, 16), v = fmodPos(wy, 16);
    const int slab = static_cast<int>(wx / 16) + 2 * static_cast<int>(wy / 16);
    Col c = scaled(pal::PAVING, 0.94f + 0.1f * rnd(slab, 0, 41));
    c = scaled(c, 0.96f + 0.08f * noise(wx / 2, wy / 2, 16, 42));
    if (u < 0.6f || v < 0.6f)
        return scaled(pal::PAVING, 0.58f);
    if (u < 1.5f)
        return mix(c, pal::WHITE, 0.25f);
    if (v < 1.5f)
        return mix(c, pal::WHITE, 0.12f);
    if (u > 15.0f || v > 15.0f)
        return scaled(c, 0.82f);
    return c;
}

Col curb(float wx, float wy)
{
    if (wy < 20.0f)
        return paving(wx, fmodPos(wy, 16.0f) + (wy >= 16.0f ? 16.0f : 0.0f));
    if (wy < 20.6f)
        return scaled(pal::CURB, 0.6f);
    if (wy < 25.5f) {
        const float u = fmodPos(wx, 16.0f);
        if (u < 0.5f)
            return scaled(pal::CURB, 0.66f);
        return wy < 22.0f ? mix(pal::CURB, pal::WHITE, 0.3f) : pal::CURB;
    }
    if (wy < 26.5f)
        return scaled(pal::CURB, 0.52f); // the curb's face dropping to the gutter
    return scaled(asphalt(wx, wy), 0.92f);
}

Col linoleum(float wx, float wy)
{
    const int cx = static_cast<int>(std::floor(wx / 8)), cy = static_cast<int>(std::floor(wy / 8));
    Col c = ((cx + cy) & 1) ? pal::LINO_B : pal::LINO_A;
    const float u = fmodPos(wx, 8), v = fmodPos(wy, 8);
    if (u < 0.35f || v < 0.35f)
        return scaled(c, 0.8f);
    // A soft sheen band running across the floor.
    const float sheen = std::sin((wx - wy) * 0.19635f * 2.0f) * 0.5f + 0.5f;
    c = mix(c, pal::WHITE, 0.12f * smoothstep(0.7f, 1.0f, sheen));
    return scaled(c, 0.97f + 0.05f * noise(wx, wy, 32, 51));
}

Col wood(float wx, float wy)
{
    const float plank = 32.0f / 6.0f;
    const int row = static_cast<int>(std::floor(wy / plank));
    const float v = fmodPos(wy, plank);
    const float offset = rnd(row, 0, 61) * 32.0f;
    const float along = fmodPos(wx - offset, 32.0f);
    const int piece = row * 2 + (fmodPos(wx - offset, 32.0f) < 16.0f ? 0 : 1);
    if (v < 0.45f || along < 0.4f || std::fabs(along - 16.0f) < 0.2f)
        return scaled(pal::WOOD, 0.55f);
    Col c = scaled(pal::WOOD, 0.9f + 0.18f * rnd(piece, 1, 62));
    const float grain = std::sin(v * 3.1f + noise(wx / 3, wy, 11, 63) * 5.0f) * 0.5f + 0.5f;
    c = scaled(c, 0.93f + 0.09f * grain);
    if (v < 1.0f)
        c = mix(c, pal::WHITE, 0.12f);
    return c;
}

Col carpet(float wx, float wy)
{
    const float fibre = rnd(wrap(static_cast<int>(wx * 3), 96), wrap(static_cast<int>(wy * 3), 96), 71);
    Col c = scaled(pal::CARPET, 0.92f + 0.14f * fibre);
    // A faint diamond motif every 16 units.
    const float u = std::fabs(fmodPos(wx, 16) - 8), v = std::fabs(fmodPos(wy, 16) - 8);
    const float m = u + v;
    if (m > 5.0f && m < 6.2f)
        c = mix(c, rgb(170, 120, 90), 0.45f);
    else if (m < 1.6f)
        c = mix(c, rgb(170, 120, 90), 0.35f);
    return c;
}

Col crosswalk(float wx, float wy)
{
    // Broad white bars across the road, worn at the edges.
    const Col c = asphalt(wx, wy);
    const float bar = fmodPos(wx, 8.0f);
    if (bar > 1.5f && bar < 5.5f && wy > 2.0f && wy < 30.0f) {
        const float wear = noise(wx * 1.2f, wy * 1.2f, 38, 131);
        return mix(pal::WHITE, c, smoothstep(0.62f, 0.9f, wear) * 0.8f);
    }
    return c;
}

Col flowers(float wx, float wy)
{
    Col c = grass(wx, wy);
    // Flowers on a jittered grid that repeats with the tile.
    const int cx = static_cast<int>(std::floor(wx / 4)), cy = static_cast<int>(std::floor(wy / 4));
    const float fx = cx * 4 + 1 + 2 * rnd(wrap(cx, 8), wrap(cy, 8), 141), fy = cy * 4 + 1 + 2 * rnd(wrap(cx, 8), wrap(cy, 8), 142);
    const float d = std::fabs(wx - fx) + std::fabs(wy - fy);
    const float pick = rnd(wrap(cx, 8), wrap(cy, 8), 143);
    if (pick < 0.55f && d < 0.9f) {
        const Col petals[] = {rgb(236, 216, 96), pal::WHITE, rgb(226, 120, 150), rgb(170, 140, 230)};
        return d < 0.35f ? rgb(250, 230, 140) : petals[hash3(wrap(cx, 8), wrap(cy, 8), 144) % 4];
    }
    return c;
}

// Ways out ---------------------------------------------------------------
// Marks painted on the ground where a zone is left: an arrow along the road, a doormat at
// a shop door, a crossing under a warm light.

// Inside an arrow along world x, pointing to +x: a shaft and a head, in tile units.
bool inArrow(float wx, float wy)
{
    const float across = std::fabs(wy - 16.0f);
    if (wx > 5.0f && wx < 19.0f && across < 3.0f)
        return true;
    return wx >= 17.0f && wx < 28.0f && across < (28.0f - wx) * 0.85f;
}

Col arrowOn(Col ground, float wx, float wy, bool forward)
{
    const float ax = forward ? wx : 32.0f - wx;
    if (!inArrow(ax, wy))
        return ground;
    const float wear = noise(wx * 1.5f, wy * 1.5f, 48, 151);
    return mix(pal::WHITE, ground, smoothstep(0.62f, 0.92f, wear) * 0.6f);
}

Col arrowAhead(float wx, float wy) { return arrowOn(asphalt(wx, wy), wx, wy, true); }
Col arrowBack(float wx, float wy) { return arrowOn(asphalt(wx, wy), wx, wy, false); }

Col doormatOn(Col ground, float wx, float wy)
{
    const float u = std::fabs(wx - 16.0f), v = std::fabs(wy - 16.0f);
    if (u > 13.0f || v > 10.0f)
        return ground;
    if (u > 12.0f || v > 9.0f)
        return scaled(pal::MAT, 0.55f); // the rubber rim
    // Coir bristles, with a darker band and the shop's stripe across the middle.
    const float bristle = rnd(wrap(static_cast<int>(wx * 4), 128), wrap(static_cast<int>(wy * 4), 128), 161);
    Col c = scaled(pal::MAT, 0.88f + 0.2f * bristle);
    if (u > 10.0f || v > 7.0f)
        c = scaled(c, 0.8f);
    else if (v < 1.6f)
        c = mix(c, pal::LANE, 0.75f);
    return c;
}

Col pavingDoormat(float wx, float wy) { return doormatOn(paving(wx, wy), wx, wy); }
Col linoleumDoormat(float wx, float wy) { return doormatOn(linoleum(wx, wy), wx, wy); }

Col litCrossing(float wx, float wy)
{
    // A pool of lamp light, brightest in the middle, warming the bars and the road alike.
    const float d = std::sqrt((wx - 16.0f) * (wx - 16.0f) + (wy - 16.0f) * (wy - 16.0f));
    const float light = 1.0f - smoothstep(4.0f, 22.0f, d);
    Col c = crosswalk(wx, wy);
    c = mix(c, pal::LAMP_LIGHT, 0.6f * light);
    // Studs along both kerbs glow amber.
    const float stud = std::fabs(fmodPos(wx, 8.0f) - 4.0f) + std::fabs(std::fabs(wy - 16.0f) - 15.0f);
    if (stud < 1.8f)
        return mix(rgb(255, 190, 80), pal::WHITE, 0.6f * (1.8f - stud));
    return c;
}

// Wall blocks -------------------------------------------------------------

const float WALL_H = 96.0f;
const float HEDGE_H = 40.0f;

// Face coordinates: u runs 0..64 along the face, z 0..height up it.
using FaceShader = std::function<Col(float u, float z, bool rightFace)>;

Col faceLight(Col c, bool rightFace, float z)
{
    const Material m = material(c);
    Col out = rightFace ? m.shade : m.base;
    // Darker where the wall meets the ground.
    return scaled(out, 0.78f + 0.22f * smoothstep(0.0f, 14.0f, z));
}

Canvas wallTile(float height, const FaceShader& face, const std::function<Col(float, float)>& top)
{
    const int h = static_cast<int>(height) + TILE_H;
    Canvas c(TILE_W, h);
    const Vec2 o{64.0f, height};
    BoxPaint paint;
    paint.top = top;
    paint.left = [&](float a, float z) { return face(a, z, false); };
    paint.right = [&](float b, float z) { return face(64.0f - b, z, true); };
    // The footprint first, with the floors' hard edge, so the block meets its
    // neighbours without a seam.
    for (int y = static_cast<int>(height); y < h; ++y)
        for (int x = 0; x < TILE_W; ++x) {
            const float sx = x + 0.5f - 64.0f, sy = y + 0.5f - height;
            if (std::fabs(sx) / 64.0f + std::fabs(sy - 32.0f) / 32.0f <= 1.0f)
                c.blend(x, y, sx < 0 ? face(sx + 64.0f, 0.5f, false) : face(64.0f - sx, 0.5f, true), 1.0f);
        }
    // No outline on the vertical silhouette: a row of blocks reads as one wall.
    drawBox(c, o, 0, 64, 0, 64, 0, height, paint, 0.0f);
    const Col edge = pal::OUTLINE;
    const Vec2 t0 = iso(o, 0, 0, height), t1 = iso(o, 64, 0, height), t2 = iso(o, 64, 64, height), t3 = iso(o, 0, 64, height);
    // Light joints: inside a mass of blocks every edge is some neighbour's joint.
    c.fill(capsule(t1, t2, 0.6f, 0.6f), withAlpha(edge, 0.5f));
    c.fill(capsule(t2, t3, 0.6f, 0.6f), withAlpha(edge, 0.5f));
    c.fill(capsule(t0, t1, 0.5f, 0.5f), withAlpha(edge, 0.2f));
    c.fill(capsule(t3, t0, 0.5f, 0.5f), withAlpha(edge, 0.2f));
    return c;
}

Col brickFace(float u, float z, bool right)
{
    const float bh = 8.0f, bl = 16.0f;
    const int row = static_cast<int>(std::floor(z / bh));
    const float shift = (row & 1) ? bl * 0.5f : 0.0f;
    const float uu = fmodPos(u + shift, bl), zz = fmodPos(z, bh);
    const int brick = wrap(static_cast<int>(std::floor((u + shift) / bl)), 4);
    if (zz < 1.2f || uu < 1.2f)
        return faceLight(pal::MORTAR, right, z);
    Col b = scaled(pal::BRICK, 0.88f + 0.2f * rnd(brick, row, 81));
    if (zz > bh - 2.2f)
        b = mix(b, pal::WHITE, 0.12f); // brick tops catch the light
    return faceLight(b, right, z);
}

Col capTop(float a, float b)
{
    const Material m = material(pal::CONCRETE);
    const float n = noise(a / 4, b / 4, 16, 91);
    return scaled(m.light, 0.94f + 0.08f * n);
}

Col plasterFace(float u, float z, bool right)
{
    Col c = scaled(pal::PLASTER, 0.95f + 0.06f * noise(u / 3, z / 3, 0, 101));
    if (z < 12.0f)
        c = scaled(pal::CONCRETE, 0.9f); // a plinth along the bottom
    else if (z < 13.0f)
        c = scaled(pal::CONCRETE, 0.6f);
    return faceLight(c, right, z);
}

Col windowFace(float u, float z, bool right)
{
    const float u0 = 10, u1 = 54, z0 = 28, z1 = 80;
    if (u > u0 && u < u1 && z > z0 && z < z1) {
        if (u < u0 + 3 || u > u1 - 3 || z < z0 + 3 || z > z1 - 3 || std::fabs(u - 32) < 1.2f)
            return faceLight(pal::WHITE, right, z);
        // Glass: darker low, a bright diagonal glint high up.
        Col g = mix(scaled(pal::GLASS, 0.7f), pal::GLASS, (z - z0) / (z1 - z0));
        const float glint = std::fabs((u - u0) - (z1 - z) * 0.6f - 6.0f);
        if (glint < 2.5f || std::fabs(glint - 7.0f) < 1.0f)
            g = mix(g, pal::WHITE, 0.55f);
        return right ? scaled(g, 0.85f) : g;
    }
    if (u > u0 - 2 && u < u1 + 2 && z > z0 - 4 && z <= z0)
        return faceLight(pal::CONCRETE, right, 40.0f); // sill
    return plasterFace(u, z, right);
}

Col doorFace(float u, float z, bool right)
{
    const float u0 = 18, u1 = 46, z1 = 72;
    if (u > u0 - 3 && u < u1 + 3 && z < z1 + 3) {
        if (u < u0 || u > u1 || z > z1)
            return faceLight(scaled(pal::DOOR, 0.7f), right, 40.0f); // frame
        Col d = pal::DOOR;
        const float pu = u - u0, pz = z;
        const bool panel = (pu > 4 && pu < 24 && ((pz > 8 && pz < 32) || (pz > 40 && pz < 66)));
        if (panel)
            d = scaled(d, 0.86f);
        if (std::fabs(pu - 22.5f) < 1.6f && std::fabs(pz - 36.0f) < 1.6f)
            d = rgb(230, 196, 96); // the knob
        return faceLight(d, right, 40.0f);
    }
    return brickFace(u, z, right);
}

Col hedgeFace(float u, float z, bool right)
{
    const float n = noise(u / 3.0f, z / 3.0f, 0, 111) * 0.6f + rnd(wrap(static_cast<int>(u * 1.5f), 96), static_cast<int>(z * 1.5f), 112) * 0.4f;
    Col c = mix(scaled(pal::HEDGE, 0.7f), mix(pal::HEDGE, pal::GRASS_LIGHT, 0.3f), smoothstep(0.3f, 0.8f, n));
    return faceLight(c, right, z + 6.0f);
}

Col hedgeTop(float a, float b)
{
    const float n = noise(a / 3.0f, b / 3.0f, 0, 113);
    return mix(pal::HEDGE, pal::GRASS_LIGHT, 0.25f + 0.4f * smoothstep(0.3f, 0.8f, n));
}

// A picket fence across the middle of a grass tile, running along world x so that a
// row of these makes one fence.
Canvas fenceTile()
{
    const float height = 40.0f;
    const int h = static_cast<int>(height) + TILE_H;
    Canvas c(TILE_W, h);
    const Canvas ground = floorTile(grass);
    c.draw(ground, 0, static_cast<int>(height));
    const Vec2 o{64.0f, height};
    c.softEllipse(iso(o, 32, 34), 60, 8, withAlpha(pal::SHADOW, 0.25f));
    const BoxPaint wood = shadedBox(rgb(226, 214, 190));
    drawBox(c, o, 0, 64, 30, 32, 14, 18, wood, 1.0f);
    drawBox(c, o, 0, 64, 30, 32, 26, 30, wood, 1.0f);
    for (float a = 2; a < 64; a += 8) {
        drawBox(c, o, a, a + 3.5f, 32, 34, 0, 32, wood, 1.0f);
        const Vec2 tip = iso(o, a + 1.75f, 34, 32);
        c.fill(polygon({tip + Vec2{-2.2f, 1.0f}, tip + Vec2{0, -3.2f}, tip + Vec2{2.2f, -1.0f}}), material(rgb(226, 214, 190)).light, 1.0f,
               pal::OUTLINE);
    }
    return c;
}

Job floorJob(int n, FloorShader shader)
{
    return {"resources/gfx/tiles/" + std::to_string(n) + ".png", [shader] { return floorTile(shader); }};
}

Job wallJob(int n, float height, FaceShader face, std::function<Col(float, float)> top)
{
    return {"resources/gfx/tiles/" + std::to_string(n) + ".png", [height, face, top] { return wallTile(height, face, top); }};
}

} // namespace

std::vector<Job> tileJobs()
{
    return {
        floorJob(0, grass),
        floorJob(1, asphalt),
        floorJob(2, laneAsphalt),
        floorJob(3, paving),
        floorJob(4, curb),
        floorJob(5, linoleum),
        floorJob(6, wood),
        floorJob(7, carpet),
        wallJob(8, WALL_H, brickFace, capTop),
        wallJob(9, WALL_H, windowFace, capTop),
        wallJob(10, WALL_H, doorFace, capTop),
        wallJob(11, HEDGE_H, hedgeFace, hedgeTop),
        floorJob(12, crosswalk),
        floorJob(13, flowers),
        {"resources/gfx/tiles/14.png", fenceTile},
        floorJob(15, arrowAhead),
        floorJob(16, arrowBack),
        floorJob(17, pavingDoormat),
        floorJob(18, linoleumDoormat),
        floorJob(19, litCrossing),
    };
}

} // namespace art
