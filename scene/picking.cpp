// Left-click picking: one whole pass of the scene in selection mode, cut down
// to 2 by 2 pixels around the cursor, and a message box with the text of the
// first object hit. Relies on the viewport and aspect_ratio that ResizeScene
// keeps, and on DrawScene naming every primitive. It does not sort hits by
// depth: the first record, in drawing order, decides.
// The team texts are code page 949 bytes, as the ANSI message box takes
// them; the platform layer converts them for the desktop. Their UTF-8 form
// stands beside them, for callers that show text themselves and as the
// reference the platform's conversion must meet.
#include "scene/picking.h"

#include <GL/glu.h>

#include "platform/user32.h"
#include "assets/shared_state.h"
#include "scene/draw_scene.h"
#include "scene/render_setup.h"

// Six objects with one name each: at most 24 words are ever written.
static const GLsizei kSelectionWords = 64;

static const char kKoreaText[] =
    "\xb4\xeb\xc7\xd1\xb9\xce\xb1\xb9\n"
    "FIFA \xb7\xa9\xc5\xb7 : 29\xc0\xa7\n"
    "1\xbd\xc2(3\xc1\xa1)";
static const char kTogoText[] =
    "\xc5\xe4\xb0\xed\n"
    "FIFA \xb7\xa9\xc5\xb7 : 61\xc0\xa7\n"
    "1\xc6\xd0(0\xc1\xa1)";
static const char kStandingsText[] =
    "\xbc\xf8\xc0\xa7\n"
    "1.\xb4\xeb\xc7\xd1\xb9\xce\xb1\xb9\n"
    "2.\xc7\xc1\xb6\xfb\xbd\xba\n"
    "2.\xbd\xba\xc0\xa7\xbd\xba\n"
    "4.\xc5\xe4\xb0\xed";
static const char kFranceText[] =
    "\xc7\xc1\xb6\xfb\xbd\xba\n"
    "FIFA \xb7\xa9\xc5\xb7 : 8\xc0\xa7\n"
    "1\xb9\xab(1\xc1\xa1)";
static const char kSwissText[] =
    "\xbd\xba\xc0\xa7\xbd\xba\n"
    "FIFA \xb7\xa9\xc5\xb7 : 35\xc0\xa7\n"
    "1\xb9\xab(1\xc1\xa1)";

static_assert(sizeof kKoreaText - 1 == 34, "Korea text is 34 bytes in CP949");
static_assert(sizeof kTogoText - 1 == 30, "Togo text is 30 bytes in CP949");
static_assert(sizeof kStandingsText - 1 == 40, "standings are 40 bytes in CP949");
static_assert(sizeof kFranceText - 1 == 31, "France text is 31 bytes in CP949");
static_assert(sizeof kSwissText - 1 == 32, "Swiss text is 32 bytes in CP949");

// Each text twice: as the ANSI message box takes it, in code page 949, and
// as it reads, in UTF-8. The platform's conversion, with iconv and without
// it, must turn the first into the second.
struct PickTextEntry {
    GLuint name;
    const char *cp949;
    const char *utf8;
};

static const PickTextEntry kPickTexts[] = {
    {kTitleName, "Team Tarsel", "Team Tarsel"},
    {kKoreaName, kKoreaText, "대한민국\nFIFA 랭킹 : 29위\n1승(3점)"},
    {kTogoName, kTogoText, "토고\nFIFA 랭킹 : 61위\n1패(0점)"},
    {kBackdropName, kStandingsText, "순위\n1.대한민국\n2.프랑스\n2.스위스\n4.토고"},
    {kFranceName, kFranceText, "프랑스\nFIFA 랭킹 : 8위\n1무(1점)"},
    {kSwissName, kSwissText, "스위스\nFIFA 랭킹 : 35위\n1무(1점)"},
};
static const PickTextEntry kUnknownText = {0, "What?", "What?"};

static const PickTextEntry &pick_text(GLuint name)
{
    for (const PickTextEntry &entry : kPickTexts) {
        if (entry.name == name)
            return entry;
    }
    return kUnknownText;
}

const char *PickText(GLuint name) { return pick_text(name).cp949; }

const char *PickTextUtf8(GLuint name) { return pick_text(name).utf8; }

// Every record DrawScene produces holds exactly one name, so the first
// record's name is word 3: count, nearest depth, farthest depth, name.
void ReportPick(const GLuint *buffer)
{
    MessageBoxA(window_handle, PickText(buffer[3]), "Selection", MB_OK);
}

void PickAt(int x, int y)
{
    GLuint buffer[kSelectionWords];
    GLint viewport[4];

    glSelectBuffer(kSelectionWords, buffer);
    glGetIntegerv(GL_VIEWPORT, viewport);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glRenderMode(GL_SELECT);
    glLoadIdentity();
    // Window y runs down from the top; the GL's runs up from the bottom.
    gluPickMatrix((GLdouble)x, (GLdouble)(viewport[3] - y), 2.0, 2.0, viewport);
    gluPerspective(kFieldOfView, (GLdouble)aspect_ratio, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // A whole pass, animation step included; its result means nothing here.
    DrawScene();

    GLint hits = glRenderMode(GL_RENDER);

    // The screen projection is back before the box opens: a resize while the
    // box is up loads the projection for the new size, and popping the saved
    // one after it would leave the old size's projection in force.
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    // A negative count would mean an overflowed buffer: nothing to report.
    if (hits > 0)
        ReportPick(buffer);
}
