#include "script/ObjectFunctions.h"

#include "script/InterfaceFunctions.h"
#include "script/ScriptArguments.h"

#include "Render/PObjectLoader.h"
#include "Render/PRender.h"
#include "Render/PRenderQueue.h"
#include "Sound/PMusic.h"
#include "core/AnimationRequest.h"
#include "core/FrameClock.h"
#include "core/ObjectIdentity.h"
#include "core/PCommandManager.h"
#include "core/PGameObject.h"
#include "core/PTaskManager.h"
#include "core/PTokenizer.h"
#include "interface/PInterface.h"

#include <d3dx9math.h>

namespace {

const int kLoopMusic = 1;
const bool kQuotesKeepFieldsWhole = true;

// The game object a handle argument names, or null.
CPGameObject* ReadObject(lua_State* state, int index)
{
    return ReadHandle<CPGameObject>(state, index);
}

// Sends a command to the receivers that argument 1 names, by name or by
// category; all three arguments are required texts.
typedef void (CPCommandManager::*AddressedSend)(const std::string& address, const std::string& command,
                                               const std::string& params);

int SendAddressedCommand(lua_State* state, AddressedSend send)
{
    const char* address = CheckText(state, 1);
    const char* command = CheckText(state, 2);
    const char* params = CheckText(state, 3);
    if (CPCommandManager* bus = GetCommandManager()) (bus->*send)(address, command, params);
    return 0;
}

} // namespace

int Script_GetDeltaTime(lua_State* state)
{
    lua_pushnumber(state, FrameDeltaTime);
    return 1;
}

int Script_AddRef(lua_State* state)
{
    if (IPObject* object = ReadHandle<IPObject>(state, 1)) object->AddRef();
    return 0;
}

// The engine's object dump writes nothing in the shipped game.
int Script_DumpObjects(lua_State*)
{
    return 0;
}

int Script_Release(lua_State* state)
{
    if (IPObject* object = ReadHandle<IPObject>(state, 1)) object->Release();
    return 0;
}

int Script_SendCommandByName(lua_State* state)
{
    return SendAddressedCommand(state, &CPCommandManager::SendCommandByName);
}

int Script_SendCommandByCategory(lua_State* state)
{
    return SendAddressedCommand(state, &CPCommandManager::SendCommandByCategory);
}

int Script_SendCommandByObject(lua_State* state)
{
    CPGameObject* object = ReadObject(state, 1);
    if (!object) return 0;
    const char* command = CheckText(state, 2);
    const char* params = CheckText(state, 3);
    if (CPCommandManager* bus = GetCommandManager()) {
        bus->SendCommandByObject(object->GetScriptHandler(), command, params);
    }
    return 0;
}

int Script_SetNextCommand(lua_State* state)
{
    CommandReceiver* receiver = ReadHandle<CommandReceiver>(state, 1);
    lua_pushboolean(state, receiver && receiver->SetNextCommand());
    return 1;
}

int Script_GetCurrentCommand(lua_State* state)
{
    CommandReceiver* receiver = ReadHandle<CommandReceiver>(state, 1);
    const std::string* command = receiver ? receiver->GetCurrentCommand() : nullptr;
    if (!command) return 0;
    lua_pushlstring(state, command->data(), command->size());
    return 1;
}

int Script_GetCurrentParams(lua_State* state)
{
    CommandReceiver* receiver = ReadHandle<CommandReceiver>(state, 1);
    const std::vector<std::string>* params = receiver ? receiver->GetCurrentParams() : nullptr;
    if (!params) return 0;
    PushTexts(state, *params);
    return static_cast<int>(params->size());
}

// Printing an address reaches nothing, so any handle prints, live or not.
int Script_PointerToString(lua_State* state)
{
    const std::string text = ObjectIdentityText(lua_touserdata(state, 1));
    lua_pushlstring(state, text.data(), text.size());
    return 1;
}

int Script_StringToPointer(lua_State* state)
{
    lua_pushlightuserdata(state, ObjectFromIdentityText(CheckText(state, 1)));
    return 1;
}

// The translation takes arguments 4, 6 and 5 as x, y and z and the rotation
// arguments 5, 6 and 7 as yaw, pitch and roll; arguments 2 and 3 are read
// and not used.
int Script_SetPTransformation(lua_State* state)
{
    CPGameObject* object = ReadObject(state, 1);
    float values[6];
    for (int i = 0; i < 6; ++i) values[i] = ReadFloat(state, i + 2);
    if (!object) return 0;
    const float a4 = values[2], a5 = values[3], a6 = values[4], a7 = values[5];
    D3DXMATRIX translation, rotation, base;
    D3DXMatrixTranslation(&translation, a4, a6, a5);
    D3DXMatrixRotationYawPitchRoll(&rotation, a5, a6, a7);
    D3DXMatrixMultiply(&base, &rotation, &translation);
    object->SetBaseTransform(base);
    return 0;
}

int Script_CheckString(lua_State* state)
{
    CheckText(state, 1);
    return 1;
}

int Script_GetChildObject(lua_State* state)
{
    CPGameObject* object = ReadObject(state, 1);
    size_t length = 0;
    const char* name = luaL_checklstring(state, 2, &length);
    CPGameObject* found = nullptr;
    if (object) {
        CPGameObject::ObjectList tree;
        object->CollectTree(tree);
        const std::string wanted(name, length);
        for (const RefPtr<CPGameObject>& candidate : tree) {
            if (candidate->GetName() == wanted) {
                found = candidate.Get();
                break;
            }
        }
    }
    PushHandle(state, found);
    return 1;
}

int Script_SetVisible(lua_State* state)
{
    if (CPGameObject* object = ReadObject(state, 1)) object->SetVisible(ReadBool(state, 2));
    return 0;
}

int Script_SetCollision(lua_State* state)
{
    if (CPGameObject* object = ReadObject(state, 1)) object->SetCollision(ReadBool(state, 2));
    return 0;
}

int Script_SplitString(lua_State* state)
{
    const char* text = CheckText(state, 1);
    const char* separator = CheckText(state, 2);
    std::vector<std::string> tokens;
    CPTokenizer tokenizer(text, separator, kQuotesKeepFieldsWhole);
    std::string token;
    while (tokenizer.NextToken(token)) tokens.push_back(token);
    PushTexts(state, tokens);
    return static_cast<int>(tokens.size());
}

int Script_LoadRenderObject(lua_State* state)
{
    const char* name = CheckText(state, 1);
    const int flags = NarrowToInt(luaL_checknumber(state, 2));
    RefPtr<CPGameObject> object;
    if (g_pObjectLoader) object = g_pObjectLoader->LoadObject(name, flags);
    PushHandle(state, object.Get());
    return 1;
}

int Script_DrawDynamicObject(lua_State* state)
{
    CPGameObject* object = ReadObject(state, 1);
    CPRender* render = GetRender();
    if (!object || !render) return 0;
    RefPtr<CPRenderQueue> queue = render->GetRenderQueue();
    if (queue) queue->AddObject(RefPtr<CPGameObject>(object));
    return 0;
}

int Script_SetAnimation(lua_State* state)
{
    CPGameObject* object = ReadObject(state, 1);
    const char* name = ReadText(state, 2);
    if (!name) return 0;
    AnimationRequest request;
    request.name = name;
    request.speed = ReadFloat(state, 3);
    request.passLimit = ReadInt(state, 4);
    request.reportFrame = ReadInt(state, 5);
    request.notify = ReadHandle<CommandReceiver>(state, 6);
    if (object) object->PlayAnimation(request, false);
    return 0;
}

int Script_GetParentObject(lua_State* state)
{
    CPGameObject* object = ReadObject(state, 1);
    PushHandle(state, object ? object->GetParent().Get() : nullptr);
    return 1;
}

int Script_ActivateObject(lua_State* state)
{
    if (CPGameObject* object = ReadObject(state, 1)) object->Start(ReadInt(state, 2));
    return 0;
}

int Script_DeactivateObject(lua_State* state)
{
    if (CPGameObject* object = ReadObject(state, 1)) object->Stop();
    return 0;
}

int Script_SetFade(lua_State* state)
{
    const float fade = ReadFloat(state, 1);
    if (CPRender* render = GetRender()) render->SetFade(fade);
    return 0;
}

// A locked button that the pointer is over leaves its hover look and is no
// longer the screen's current button.
int Script_LockButton(lua_State* state)
{
    CPWindow* button = ReadScreenElement(state);
    if (!button) return 0;
    button->SetEnabled(false);
    CPInterface* screen = ReadHandle<CPInterface>(state, 1);
    if (screen->GetCurrentButton() == button) {
        button->OnMouseOut(screen->GetMouseX(), screen->GetMouseY());
        screen->SetCurrentButton(nullptr);
    }
    return 0;
}

int Script_UnlockButton(lua_State* state)
{
    if (CPWindow* button = ReadScreenElement(state)) button->SetEnabled(true);
    return 0;
}

int Script_KillAllTasks(lua_State*)
{
    if (g_pTaskManager) g_pTaskManager->KillAllTasks();
    return 0;
}

int Script_ToInt(lua_State* state)
{
    lua_pushnumber(state, ReadInt(state, 1));
    return 1;
}

int Script_PlayMusic(lua_State* state)
{
    const char* name = ReadText(state, 1);
    if (name && g_pMusic) g_pMusic->Play(name, kLoopMusic);
    return 0;
}
