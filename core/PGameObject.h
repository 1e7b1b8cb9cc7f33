#pragma once

#include "core/AxisAlignedBox.h"
#include "core/PBoundingBox.h"
#include "core/PObject.h"
#include "core/PProcess.h"

#include <d3dx9.h>
#include <tinyxml.h>

#include <string>
#include <unordered_map>
#include <vector>

class CommandReceiver;
class CPAnimatedObject;
class CPCar;
class CPLight;
class CPMaterial;
class CPParticleSystem;
class CPPartAnimation;
class CPPhysicData;
class CPRenderObject;
class CPSprite;
class IPEnemyComponent;
struct AnimationRequest;
struct RayQuery;

// The named scene node of the engine. Game objects form trees (a parent and
// an ordered list of children, also reachable by name); each keeps a
// position and a rotation from which its local and world matrices are
// rebuilt on demand, the boxes that bound it and its parts, an XML
// description, at most one component chosen by its kind (mesh, animated
// mesh, light, sprite or particle system), optional physics data, named part
// animations with an idle one, and an optional script handler: a receiver
// that hears about the object over the command bus.
//
// Matrices are row-vector D3DX matrices: local = animation x rotation x
// translation, world = local x parent, where the animation matrix is the one
// a part animation drives (identity otherwise).
class CPGameObject : public IPObject {
public:
    // The kind says what the component is.
    static constexpr int kKindMesh = 0;           // CPRenderObject
    static constexpr int kKindAnimated = 1;       // CPAnimatedObject
    static constexpr int kKindLight = 2;          // CPLight
    static constexpr int kKindSprite = 3;         // CPSprite
    static constexpr int kKindParticleSystem = 4; // CPParticleSystem
    static constexpr int kKindGroup = 5;          // no component

    // Another object (or none) drawn in this one's place from a distance.
    struct LevelOfDetail {
        RefPtr<CPGameObject> object;
        int level;
    };

    typedef std::vector<RefPtr<CPGameObject>> ObjectList;

    explicit CPGameObject(std::string name);
    ~CPGameObject() override;

    int GetObjectSize() override;
    const char* GetTypeName() override;

    // Appends the object, then each child's subtree: pre-order.
    virtual void CollectTree(ObjectList& objects);
    // Hands the idle animation, a visible particle system and the script
    // handler to the task manager with the priority, starts the children
    // and tells the script handler "add_object". Once only.
    virtual void Start(int priority);
    // Stops the particle system, the idle animation and the children and
    // tells the script handler "delete_object"; the handler keeps running
    // and no task leaves the task list.
    virtual void Stop();
    // Turns a newly made object into a deep copy of the source: its own
    // component of the same kind, part boxes, part animations, children and
    // physics data, with the materials and the script handler shared. What
    // the target already has of parts, animations and children stays, and
    // the copy is appended to it. Copying an object onto itself changes
    // nothing.
    virtual void CopyFrom(RefPtr<CPGameObject> source);
    // A part animation's track ran out.
    virtual void OnAnimationEnd();

    const std::string& GetName() const { return m_name; }
    // Renaming leaves the parent's name map as it was.
    void SetName(const std::string& name) { m_name = name; }

    // Appends the child, taking it from the parent it had. The object
    // itself, or one of its ancestors, is refused: the tree would loop.
    void AddChild(RefPtr<CPGameObject> child);
    // A descendant of that name: the direct children first, then each
    // child's subtree in order.
    RefPtr<CPGameObject> FindChild(const std::string& name);
    RefPtr<CPGameObject> GetChildByName(const std::string& name);
    const ObjectList& GetChildren() const { return m_children; }
    RefPtr<CPGameObject> GetParent();
    // The object itself when it has a script handler or no parent,
    // otherwise its parent's answer.
    RefPtr<CPGameObject> FindScriptedAncestor();

    void AddLevelOfDetail(RefPtr<CPGameObject> object, int level);
    const std::vector<LevelOfDetail>& GetLevelsOfDetail() const { return m_levelsOfDetail; }

    // Moving an object moves its levels of detail and its physics body too.
    // A value that is NaN or infinite is refused and nothing moves.
    void SetPosition(float x, float y, float z);
    void SetRotation(float x, float y, float z, float w);
    D3DXVECTOR3* GetPositionRef() { return &m_position; }
    D3DXQUATERNION* GetRotationRef() { return &m_rotation; }

    // Rebuilds the matrices and bounds of a dirty object and its subtree.
    void UpdateTransform();
    // Places the object under a matrix of the caller's instead of its
    // parent's world matrix and rebuilds the subtree; a matrix holding NaN
    // or an infinity is refused and nothing moves. The parent's next
    // rebuild hands down its own matrix again.
    void SetBaseTransform(const D3DXMATRIX& matrix);
    const D3DXMATRIX& GetBaseTransform() const { return m_parentMatrix; }
    // The matrix a part animation drives the object with, applied before
    // its rotation and position; marks the object for a rebuild.
    void SetAnimationMatrix(const D3DXMATRIX& matrix);
    const D3DXMATRIX& GetWorldMatrix() const { return m_worldMatrix; }
    bool IsDirty() const { return m_dirty; }
    // Set by each rebuild; whoever mirrors the transform (the mesh's world
    // vertices) clears it once it has caught up.
    bool IsTransformChanged() const { return m_transformChanged; }
    void ClearTransformChanged() { m_transformChanged = false; }

    // Boxes: the own box bounds the object itself, the parts its mesh
    // parts. The bounds enclose the own box and the children's bounds; the
    // part bounds enclose the part boxes and the children's part bounds.
    void SetBoundingBox(const CPBoundingBox& box);
    const CPBoundingBox& GetBoundingBox() const { return m_ownBox; }
    std::vector<CPBoundingBox>& GetParts() { return m_parts; }
    const AxisAlignedBox& GetBounds() const { return m_bounds; }
    const AxisAlignedBox& GetPartBounds() const { return m_partBounds; }

    // Searches the subtree for the nearest part box that the ray meets
    // within the query's distance; true when anything was hit.
    bool IntersectRay(RayQuery& query);

    void SetComponent(int kind, RefPtr<IPObject> component);
    int GetKind() const { return m_kind; }
    IPObject* GetComponent() const { return m_component.Get(); }
    // The mesh component, or null when the object is of another kind.
    CPRenderObject* GetRenderObject() const;

    void SetPhysicData(RefPtr<CPPhysicData> physicData);
    CPPhysicData* GetPhysicData() const { return m_physicData.Get(); }
    void SetCar(RefPtr<CPCar> car);
    RefPtr<CPCar> GetCar();

    void SetScriptHandler(CommandReceiver* handler) { m_scriptHandler = handler; }
    RefPtr<CommandReceiver> GetScriptHandler();
    void SetEnemy(IPEnemyComponent* enemy) { m_enemy = enemy; }

    // Stores the animation under the name; "idle" (exactly) also makes it
    // the idle animation, which loops and runs while the object is started.
    // An animation it replaces, like every animation when the object is
    // destroyed, no longer drives or reports to the object.
    void SetNamedAnimation(const std::string& name, RefPtr<CPPartAnimation> animation);
    CPPartAnimation* GetNamedAnimation(const std::string& name) const;
    const std::unordered_map<std::string, RefPtr<CPPartAnimation>>& GetNamedAnimations() const
    {
        return m_animations;
    }
    CPPartAnimation* GetIdleAnimation() const { return m_idleAnimation.Get(); }
    bool HasAnimations() const { return m_hasAnimations; }

    // Plays the request on an animated object, then on every child.
    void PlayAnimation(const AnimationRequest& request, bool restart);

    // Tells the script handler "damage" unless quiet, then hands the damage
    // to the enemy logic.
    void Damage(const D3DXVECTOR3* point, const D3DXVECTOR3* direction, float amount,
                IPObject* source, bool quiet);

    // Sets the object burning with its flame particle system, once, and
    // passes the call on to the children.
    void AttachFlame(float flag);
    void SetFlameType(int flameType) { m_flameType = flameType; }
    int GetFlameType() const { return m_flameType; }

    // Puts the fire material on the mesh or animated mesh of the whole tree.
    void ApplyAlternateMaterial();
    void SetShadowMaterial(RefPtr<CPMaterial> material);
    void SetFireMaterial(RefPtr<CPMaterial> material);
    CPMaterial* GetShadowMaterial() const { return m_shadowMaterial.Get(); }
    CPMaterial* GetFireMaterial() const { return m_fireMaterial.Get(); }

    void OnEnemyAnimationEnd();
    void OnEnemyAnimationEvent();

    // Loads "Data\Descriptions\" + the description name into the document.
    bool LoadDescription();
    void SetDescriptionName(const std::string& name) { m_descriptionName = name; }
    TiXmlDocument& GetDescriptionDocument() { return m_description; }

    bool IsStarted() const { return m_started; }
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool GetShadowFlag() const { return m_shadowFlag; }
    // This object's flag alone; SetObjectShadowFlag sets a whole tree.
    void SetShadowFlag(bool flag) { m_shadowFlag = flag; }
    bool GetCollision() const { return m_collision; }
    void SetCollision(bool collision) { m_collision = collision; }
    // Set while the object's mesh may be merged into shared static geometry;
    // the level's tree sorts objects by it, so the game rules call it the
    // tree flag.
    bool GetSharedGeometry() const { return m_sharedGeometry; }
    void ClearSharedGeometry() { m_sharedGeometry = false; }
    // Marks a car that the level has handed to computer driving; off at
    // construction and not copied.
    bool IsMarked() const { return m_marked; }
    void SetMarked(bool marked) { m_marked = marked; }

    // Free text of the description's "param" key, for the game rules.
    const std::string& GetParameter() const { return m_parameter; }
    void SetParameter(const std::string& parameter) { m_parameter = parameter; }
    std::vector<D3DXVECTOR3>& GetLineKeyPoints() { return m_lineKeyPoints; }
    D3DCOLOR GetLineColour() const { return m_lineColour; }
    void SetLineColour(D3DCOLOR colour) { m_lineColour = colour; }
    const std::string& GetSourceDescriptionName() const { return m_sourceDescriptionName; }
    void SetSourceDescriptionName(const std::string& name) { m_sourceDescriptionName = name; }

private:
    friend void SetObjectShadowFlag(CPGameObject* object, bool flag);
    friend void SetObjectTreeFlag(CPGameObject* object, bool flag);

    std::string GetIdentityText() const;
    void SendToScriptHandler(const char* command, const std::string& params);
    void AddTaskWithPriority(IPProcess* task, int priority);
    // Calls visit on each level-of-detail object after the first entry.
    template <class Visit>
    void VisitOtherLevelsOfDetail(Visit visit);

    // The component when the kind names it and it is there; null otherwise.
    CPAnimatedObject* GetAnimatedObject() const;
    CPLight* GetLight() const;
    CPSprite* GetSprite() const;
    CPParticleSystem* GetParticleSystem() const;
    template <class Component>
    Component* GetComponentOfKind(int kind) const;

    // The steps of CopyFrom, in the order it takes them.
    void CopyBoxesFrom(const CPGameObject& source);
    void CopyComponentFrom(const CPGameObject& source);
    void CopyPartsFrom(const CPGameObject& source);
    void CopyAnimationsFrom(const CPGameObject& source);
    void CopyChildrenFrom(const CPGameObject& source);
    void CopyPlacementFrom(const CPGameObject& source);
    void CopyFlagsFrom(const CPGameObject& source);
    void CopyPhysicDataFrom(const CPGameObject& source);

    void StartFlame();
    void RebuildOwnBoxes();
    void RebuildChild(CPGameObject& child);
    bool IntersectParts(RayQuery& query);
    void RemoveFromParent();
    bool IsSelfOrAncestor(const CPGameObject* object) const;
    void ReleaseAnimation(CPPartAnimation* animation);
    // The object's own placement changed: the local matrix and everything
    // below it are rebuilt.
    void MarkMoved();
    // Only the matrix above the object changed: the local matrix stands.
    void MarkParentMoved();
    void RebuildLocalMatrix();

    // What the frame's drawing reads of every object, on one cache line
    // with the reference count: each object costs the queue and the mesh
    // writer one memory fetch rather than four.
    RefPtr<IPObject> m_component;
    ObjectList m_children;
    int m_kind;
    bool m_visible;
    bool m_sharedGeometry;
    bool m_transformChanged;

    // What rebuilding the transform reads and writes, side by side: every
    // frame a moving car rebuilds each object of its tree. Placing an object
    // (SetPosition, SetRotation) writes the flags, its placement and the
    // levels of detail and physics that follow it, all on the first lines:
    // every flying shot is placed each frame.
    bool m_dirty;
    bool m_localDirty;
    bool m_shadowFlag;
    D3DXVECTOR3 m_position;
    D3DXQUATERNION m_rotation;
    std::vector<LevelOfDetail> m_levelsOfDetail;
    RefPtr<CPPhysicData> m_physicData;
    D3DXMATRIX m_parentMatrix;
    D3DXMATRIX m_localMatrix;
    D3DXMATRIX m_worldMatrix;
    AxisAlignedBox m_bounds;
    AxisAlignedBox m_partBounds;
    std::vector<CPBoundingBox> m_parts;
    CPBoundingBox m_ownBox;
    D3DXMATRIX m_animationMatrix;

    TiXmlDocument m_description;
    int m_flameType;
    bool m_started;
    bool m_hasAnimations;
    std::unordered_map<std::string, RefPtr<CPPartAnimation>> m_animations;
    RefPtr<CPPartAnimation> m_idleAnimation;
    std::unordered_map<std::string, RefPtr<CPGameObject>> m_childrenByName;
    CPGameObject* m_parent;
    std::string m_name;
    CommandReceiver* m_scriptHandler;
    bool m_collision;
    std::string m_parameter;
    std::string m_descriptionName;
    IPEnemyComponent* m_enemy;
    RefPtr<CPMaterial> m_shadowMaterial;
    RefPtr<CPMaterial> m_fireMaterial;
    std::vector<D3DXVECTOR3> m_lineKeyPoints;
    D3DCOLOR m_lineColour;
    std::string m_sourceDescriptionName;
    bool m_marked;
    RefPtr<CPCar> m_car;
    std::string m_typeName;
};

// Sets the shadow flag of the object, its children and its levels of detail
// after the first, through their whole trees.
void SetObjectShadowFlag(CPGameObject* object, bool flag);
// Sets the tree (shared-geometry) flag of the object and, through their own
// levels of detail, of its levels of detail after the first.
void SetObjectTreeFlag(CPGameObject* object, bool flag);

// Multiplies every amount handed to an enemy's damage handler; 1 unless the
// host changes it.
extern float g_damageFactor;
