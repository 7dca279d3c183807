// The two title pictures drawn with shapes rather than text maps: the
// footballer and the duck. Each is drawn at half size and enlarged, so it
// keeps the chunky pixels of the other titles. Parts are painted back to
// front, each over a one-pixel black rim that keeps it apart from the parts
// behind it.
#include "art.h"

namespace artgen {
namespace {

const Rgb black = rgb(0x000000);

struct Limb {
    double x0, y0, x1, y1, radius;
};

void limb(Image& img, Limb l, Rgb c)
{
    fillCapsule(img, l.x0, l.y0, l.x1, l.y1, l.radius + 1, black);
    fillCapsule(img, l.x0, l.y0, l.x1, l.y1, l.radius, c);
}

// A leg from hip to knee to foot: thigh in `thigh`, shin in `sock`.
void leg(Image& img, double hx, double hy, double kx, double ky, double fx, double fy, Rgb thigh, Rgb sock)
{
    limb(img, {hx, hy, kx, ky, 3.2}, thigh);
    limb(img, {kx, ky, fx, fy, 2.6}, sock);
}

} // namespace

Image kickerScene()
{
    const Rgb red = rgb(0xE02828), darkRed = rgb(0x901018), white = rgb(0xFFFFFF),
              skin = rgb(0xF4B888), hair = rgb(0x5A2E12), grey = rgb(0x9898A8);
    Image img(63, 75, black);

    // Arms out for balance: the far arm behind the body, reaching back.
    limb(img, {24, 22, 14, 27, 2.6}, darkRed);
    limb(img, {14, 27, 6, 21, 2.0}, skin);

    // Standing leg, planted, with its boot.
    leg(img, 26, 44, 24, 56, 25, 68, skin, red);
    limb(img, {25, 69, 30, 69, 2.2}, grey);
    fillRect(img, 22, 58, 6, 2, white); // sock top

    // Shirt, leaning back a little into the kick.
    fillPolygon(img, {{18, 18}, {35, 17}, {38, 22}, {35, 40}, {21, 41}, {18, 25}}, black);
    fillPolygon(img, {{19.5, 19}, {34, 18.5}, {36.5, 22}, {34, 39}, {22, 39.5}, {19.5, 25}}, red);
    fillRect(img, 26, 20, 2, 19, darkRed); // seam shading
    fillPolygon(img, {{24, 18.5}, {30, 18.5}, {27, 22}}, white); // collar

    // Shorts.
    fillPolygon(img, {{20, 39}, {36, 38}, {38, 48}, {28, 49}, {27, 46}, {20, 49}}, black);
    fillPolygon(img, {{21, 40}, {35, 39}, {37, 47}, {29, 47.5}, {27.5, 44}, {21.5, 47.5}}, white);

    // Kicking leg swung forward, foot meeting the ball.
    leg(img, 32, 45, 42, 53, 51, 61, skin, red);
    fillRect(img, 40, 54, 3, 2, white);
    limb(img, {50, 62, 55, 60, 2.3}, grey);

    // Near arm flung forward and up.
    limb(img, {33, 22, 41, 27, 2.6}, red);
    limb(img, {41, 27, 47, 22, 2.0}, skin);

    // Head: hair sweeping back, face to the right.
    fillEllipse(img, 19, 3, 36, 19, black);
    fillEllipse(img, 20, 4, 35, 18, hair);
    fillEllipse(img, 25, 7, 36, 18, skin);
    fillPolygon(img, {{22, 3}, {37, 4}, {36, 8}, {30, 7}, {27, 10}, {24, 9}}, hair);
    fillRect(img, 31, 10, 2, 3, black);  // eye
    fillRect(img, 25, 18, 5, 2, skin);   // neck
    fillRect(img, 27, 11, 2, 2, skin);   // ear hollow
    fillRect(img, 32, 16, 3, 1, darkRed); // mouth

    // The ball: white with black patches, a grey rim.
    fillEllipse(img, 49, 61, 62, 74, black);
    fillEllipse(img, 50, 62, 61, 73, grey);
    fillEllipse(img, 51, 63, 60, 72, white);
    fillPolygon(img, {{54, 66}, {57, 66}, {58, 68.5}, {55.5, 70.5}, {53.5, 68.5}}, black);
    fillRect(img, 51, 63, 2, 2, black);
    fillRect(img, 58, 63, 2, 2, black);
    fillRect(img, 51, 71, 2, 1, black);
    fillRect(img, 59, 70, 2, 2, black);
    return img;
}

Image duckScene()
{
    const Rgb white = rgb(0xFFFFFF), shade = rgb(0xC8D0E0), bill = rgb(0xFFC820),
              billShade = rgb(0xE07810), iris = rgb(0x2060E0);
    Image img(41, 34, black);

    // Feathers sticking up at the back of the head.
    fillPolygon(img, {{7, 9}, {5, 1}, {12, 6}}, shade);
    fillPolygon(img, {{11, 6}, {13, 0}, {17, 5}}, shade);
    fillPolygon(img, {{7.5, 9}, {6, 3}, {11.5, 7}}, white);
    fillPolygon(img, {{11.5, 6}, {13, 1.5}, {16, 5}}, white);

    // Head and cheek.
    fillEllipse(img, 2, 3, 31, 33, shade);
    fillEllipse(img, 3, 4, 30, 32, white);
    fillEllipse(img, 4, 24, 16, 32, shade); // shadow under the back of the head
    fillEllipse(img, 4, 23, 17, 31, white);

    // Bill: upper half yellow, lower half orange, a black mouth between.
    fillPolygon(img, {{22, 17}, {32, 14}, {39, 14}, {40.5, 17}, {38, 20}, {25, 22}}, black);
    fillPolygon(img, {{23, 17.5}, {32, 15}, {38.5, 15}, {39.5, 17}, {37.5, 19.5}, {25, 21}}, bill);
    fillPolygon(img, {{24, 21}, {37, 20}, {34, 25}, {27, 26}}, black);
    fillPolygon(img, {{25, 22}, {35.5, 21.5}, {33, 24.5}, {27.5, 25}}, billShade);
    fillRect(img, 33, 16, 2, 1, billShade); // nostril

    // Eye: tall white oval with a blue iris and black pupil looking ahead.
    fillEllipse(img, 20, 5, 28, 16, black);
    fillEllipse(img, 21, 6, 27, 15, white);
    fillEllipse(img, 23, 8, 27, 14, iris);
    fillEllipse(img, 24, 9, 26, 13, black);
    fillRect(img, 24, 9, 1, 1, white); // glint
    fillRect(img, 19, 4, 9, 1, shade);  // brow
    return img;
}

} // namespace artgen
