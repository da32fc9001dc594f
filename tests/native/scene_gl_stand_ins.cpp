// The GL half of each picture scene is built only for Windows. These empty
// definitions let the native tests link the scene classes and exercise their
// motion; nothing here is tested.
#include "scenes/butterfly.h"
#include "scenes/nebel.h"
#include "scenes/sterne.h"
#include "scenes/wuerfel.h"

Sterne::~Sterne() = default;
bool Sterne::Init(float, float, bool, bool) { return true; }
void Sterne::Draw() {}
void Sterne::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}

Nebel::~Nebel() = default;
bool Nebel::Init(float, float, bool, bool) { return true; }
void Nebel::Draw() {}
void Nebel::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}

Butterfly::~Butterfly() = default;
bool Butterfly::Init(float, float, bool, bool) { return true; }
void Butterfly::Draw() {}
void Butterfly::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}

Wuerfel::~Wuerfel() = default;
bool Wuerfel::Init(float, float, bool, bool) { return true; }
void Wuerfel::Draw() {}
void Wuerfel::DrawCaption(TextFont*, std::int32_t, std::int32_t) {}
