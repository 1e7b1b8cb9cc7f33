#pragma once

#include <d3dx9math.h>

#include <string>

class CPGameObject;
class CPPlayer;

// Small operations that the racer's rule step and its bonus pick-ups share.

// Sends over the command bus, when there is one.
void SendToReceiver(const char* receiver, const char* command, const std::string& params);
// Shows or hides the direct child of that name; a missing child is skipped.
void ShowChild(CPGameObject& object, const char* name, bool visible);
bool IsChildVisible(CPGameObject& object, const char* name);
// The left and right rear flares of a car.
void ShowRearFlares(CPGameObject& car, bool visible);
bool AreRearFlaresShown(CPGameObject& car);
// The car's brake lights; nothing without a car.
void SetCarBrake(CPPlayer& player, bool on);
// The length of the car's velocity; 0 without a car or when nearly still.
float CarSpeedOf(CPPlayer& player);
D3DXVECTOR3 WorldPositionOf(const CPGameObject& object);
// A fresh random number from 0 to 1 (rand() / 32767).
float RandomUnit();
