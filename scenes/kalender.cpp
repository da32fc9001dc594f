#include "scenes/kalender.h"

#include <new>

#include "render/gl.h"
#include "render/text_font.h"
#include "scenes/calendar.h"
#include "scenes/outline_font.h"

Kalender::Kalender(Settings* liveSettings) : settings(liveSettings)
{
}

ISceneStrategy* CreateKalender(Settings* liveSettings)
{
    return new (std::nothrow) Kalender(liveSettings);
}

Kalender::~Kalender()
{
    DeleteOutlineFont(font);
}

bool Kalender::Init(float, float, bool resetState, bool createResources)
{
    // A second set-up replaces the lettering instead of leaking the first.
    if (createResources) {
        DeleteOutlineFont(font);
        font = CreateOutlineFont();
    }

    glLoadIdentity();
    glEnable(GL_LIGHT0);
    if (lighting)
        glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);

    if (resetState) {
        lighting = true;
        tiltX = 0.0f;
        tiltY = 0.0f;
        zoom = -15.0f;
        tiltSpeedX = 0.2f;
        tiltSpeedY = 0.3f;
    }
    return true;
}

void Kalender::Advance(float timeStep)
{
    RockAngle(tiltX, tiltSpeedX, timeStep, 0.2f);
    RockAngle(tiltY, tiltSpeedY, timeStep, 0.3f);
}

void Kalender::ApplyBaseTransform() const
{
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, zoom);
    glRotatef(tiltX, 1.0f, 0.0f, 0.0f);
    glRotatef(tiltY, 0.0f, 1.0f, 0.0f);
}

void Kalender::DrawGrid() const
{
    ForEachGridSegment([](float x0, float y0, float x1, float y1) {
        glBegin(GL_LINES);
        glVertex3f(x0, y0, 0.0f);
        glVertex3f(x1, y1, 0.0f);
        glEnd();
    });
}

void Kalender::DrawHeader(const SYSTEMTIME& now) const
{
    ApplyBaseTransform();
    glColor3f(0.0f, 0.0f, 1.0f);
    glTranslatef(0.0f, 3.2f, 0.0f);
    const int month = now.wMonth >= 1 && now.wMonth <= 12 ? now.wMonth : 1;
    DrawOutlineText(font, L"%ls %4d", kMonthNames[month - 1], static_cast<int>(now.wYear));

    ApplyBaseTransform();
    glColor3f(0.0f, 1.0f, 1.0f);
    glTranslatef(5.2f, 3.2f, 0.0f);
    wchar_t clock[16];
    FormatClock(now.wHour, now.wMinute, now.wSecond, clock);
    DrawOutlineText(font, L"%ls", clock);
}

void Kalender::DrawWeeks(const SYSTEMTIME& now) const
{
    const int days = DaysInMonth(now.wMonth, now.wYear);
    const int first = FirstWeekdayColumn(now.wDayOfWeek, now.wDay);
    for (int column = -3; column <= 3; ++column) {
        ApplyBaseTransform();
        glColor3f(0.6f, 0.0f, 0.0f);
        glTranslatef(2.0f * column, 2.25f, 0.0f);
        DrawOutlineText(font, L"%ls", kWeekdayNames[column + 3]);

        for (int row = -1; row <= 4; ++row) {
            ApplyBaseTransform();
            glTranslatef(2.0f * column, 0.2f - row, 0.0f);
            const int day = DayInCell(column, row, first);
            if (day < 1 || day > days)
                continue;
            if (day == now.wDay)
                glColor3f(1.0f, 1.0f, 0.0f);
            else
                glColor3f(0.0f, 0.6f, 0.0f);
            DrawOutlineText(font, L"%d", day);
        }
    }
}

void Kalender::Draw()
{
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);

    SYSTEMTIME now = {};
    readLocalTime(&now);

    glDisable(GL_TEXTURE_2D);
    ApplyBaseTransform();
    if (settings->ShowDesktop)
        glColor3f(0.0f, 0.0f, 0.0f);
    else
        glColor3f(1.0f, 1.0f, 1.0f);
    glLineWidth(2.0f);
    DrawGrid();

    DrawHeader(now);
    DrawWeeks(now);

    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
}

void Kalender::DrawCaption(TextFont* captionFont, std::int32_t x, std::int32_t y)
{
    RenderText(captionFont, x, y, L"Screen-Saver by Velbrook: Kalender");
}
