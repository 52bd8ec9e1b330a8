#pragma once
// The one palette every image draws from: warm evening light, cool shadows.

#include "raster.h"

namespace art::pal {

inline const Col OUTLINE = rgb(30, 24, 38);
inline const Col SHADOW = rgb(22, 18, 36, 0.38f);

// People
inline const Col SKIN = rgb(238, 190, 150);
inline const Col SKIN_DARK = rgb(176, 120, 92);
inline const Col HAIR_BLACK = rgb(58, 50, 66);
inline const Col HAIR_BROWN = rgb(116, 74, 46);
inline const Col HAIR_GREY = rgb(196, 194, 200);
inline const Col HOODIE = rgb(214, 96, 56);
inline const Col DENIM = rgb(64, 84, 132);
inline const Col DENIM_LIGHT = rgb(96, 124, 172);
inline const Col SNEAKER = rgb(236, 234, 226);
inline const Col SNEAKER_RED = rgb(200, 58, 60);
inline const Col JACKET = rgb(66, 70, 92);
inline const Col MASK = rgb(34, 30, 38);
inline const Col CAP_RED = rgb(158, 44, 54);
inline const Col TROUSERS_DARK = rgb(50, 62, 98);
inline const Col SHOE_BROWN = rgb(92, 62, 48);
inline const Col SHIRT_BLUE = rgb(122, 172, 208);
inline const Col UNIFORM_RED = rgb(196, 70, 64);
inline const Col APRON_GREEN = rgb(62, 124, 98);
inline const Col KHAKI = rgb(164, 142, 104);
inline const Col CARDIGAN = rgb(136, 96, 66);
inline const Col GLASSES = rgb(34, 30, 44);
inline const Col LENS = rgb(190, 222, 236);
inline const Col EYE = rgb(34, 28, 40);
inline const Col MOUTH = rgb(150, 70, 70);
inline const Col WHITE = rgb(244, 240, 232);

// Ground
inline const Col GRASS = rgb(98, 152, 72);
inline const Col GRASS_DARK = rgb(70, 120, 62);
inline const Col GRASS_LIGHT = rgb(140, 186, 92);
inline const Col ASPHALT = rgb(76, 78, 88);
inline const Col LANE = rgb(236, 202, 84);
inline const Col PAVING = rgb(172, 166, 156);
inline const Col CURB = rgb(204, 198, 186);
inline const Col LINO_A = rgb(226, 218, 192);
inline const Col LINO_B = rgb(128, 176, 168);
inline const Col WOOD = rgb(160, 108, 66);
inline const Col CARPET = rgb(96, 44, 64);
inline const Col MAT = rgb(150, 108, 62);

// Buildings and things
inline const Col BRICK = rgb(158, 76, 58);
inline const Col MORTAR = rgb(128, 112, 104);
inline const Col PLASTER = rgb(218, 202, 168);
inline const Col CONCRETE = rgb(164, 160, 156);
inline const Col GLASS = rgb(112, 164, 198);
inline const Col DOOR = rgb(126, 80, 52);
inline const Col HEDGE = rgb(64, 116, 60);
inline const Col METAL = rgb(128, 134, 146);
inline const Col METAL_DARK = rgb(70, 74, 86);
inline const Col LAMP_LIGHT = rgb(255, 236, 170);
inline const Col CAR_BLUE = rgb(64, 112, 170);
inline const Col CHAIR_RED = rgb(178, 62, 58);
inline const Col COUNTER_TOP = rgb(210, 204, 190);
inline const Col FRIDGE = rgb(226, 230, 234);
inline const Col SCREEN = rgb(70, 150, 170);
inline const Col DESK = rgb(150, 104, 70);

} // namespace art::pal
