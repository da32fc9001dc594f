#pragma once
// The current month as a lit, rocking calendar sheet with a running clock.
#include <windows.h>

#include "scenes/scene.h"
#include "settings/settings.h"

struct OutlineFont;

class Kalender : public CommonAnswersHelper<Kalender> {
public:
    explicit Kalender(Settings* liveSettings);
    ~Kalender() override;
    Kalender(const Kalender&) = delete;
    Kalender& operator=(const Kalender&) = delete;

    bool Init(float width, float height, bool resetState, bool createResources) override;
    void Advance(float timeStep) override;
    void Draw() override;
    bool UsesLighting() override { return lighting; }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override;

    Settings* settings;
    OutlineFont* font = nullptr;
    bool lighting = true;
    float tiltX = 0.0f;
    float tiltY = 0.0f;
    float zoom = -15.0f;
    float tiltSpeedX = 0.2f;
    float tiltSpeedY = 0.3f;

    // Where the date and time come from; tests put a fixed date here.
    void(WINAPI* readLocalTime)(LPSYSTEMTIME) = GetLocalTime;

private:
    void ApplyBaseTransform() const;
    void DrawGrid() const;
    void DrawHeader(const SYSTEMTIME& now) const;
    void DrawWeeks(const SYSTEMTIME& now) const;
};

// A new Kalender for the factory; null when memory runs out.
ISceneStrategy* CreateKalender(Settings* liveSettings);
