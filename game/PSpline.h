#pragma once

#include "core/PGameObject.h"
#include "game/PLine.h"

#include <d3dx9math.h>

#include <memory>
#include <string>
#include <vector>

class CPDataFile;
class CPRenderObject;

// A path of cubic Bezier segments read from a level's data file and sampled
// into a closed ring of straight CPLine pieces, each kPieceLength of path
// long. The ring is what the race uses: the route and its laps, the route
// heading at the player, the computer drivers' paths. A debug drawing of
// the pieces is kept in a render object of its own.
class CPSpline : public CPGameObject {
public:
    static constexpr float kPieceLength = 10.5f;
    // Longer paths are refused by Load: the pieces' debug drawing numbers
    // its vertices with 16 bits, three a piece.
    static constexpr float kMaxTotalLength = 200000.0f;

    // Four control points: P0 the start, P3 the end; and the chord length.
    struct Segment {
        D3DXVECTOR3 points[4];
        float length;
    };

    CPSpline();
    ~CPSpline() override;

    // The size the object reports, the same whatever this build's layout.
    static const int kObjectSize = 1172;

    int GetObjectSize() override { return kObjectSize; }
    const char* GetTypeName() override { return "CPSpline"; }
    void Start(int) override {}
    void Stop() override {}

    // Reads the name, the closed flag and the segments at the reader's
    // cursor, then samples the ring. False, with no segments and an empty
    // ring, when the file ends early, a count exceeds the bytes left or the
    // path's length is not a finite number up to kMaxTotalLength.
    bool Load(CPDataFile& file);
    // The point at a distance along one segment, and the direction towards
    // the point a tenth of the curve parameter further on. A segment of
    // length 0 evaluates at its start.
    static void EvaluateAt(const Segment& segment, float distance, D3DXVECTOR3& position, D3DXVECTOR3& direction);
    // Puts the start, end and centre of every piece at the car world's
    // ground height below them; nothing without a car world.
    void DropToGround();
    // The piece nearest to the point among those near it (see the source),
    // searched from the remembered piece both ways along the ring. The best
    // piece becomes the remembered piece; the answer is the heading of the
    // piece steps back along previous from it, whose signed distance from
    // the point replaces radius. With nothing near the remembered piece
    // stays. A null remembered piece starts the search at the first piece.
    float FindNearestLine(const D3DXVECTOR3& point, float& radius, int stepsBack, CPLine*& remembered);

    const std::string& GetSplineName() const { return m_name; }
    bool IsClosed() const { return m_closed; }
    const std::vector<Segment>& GetSegments() const { return m_segments; }
    float GetTotalLength() const { return m_totalLength; }
    // The ring's first piece, or null when the path completed no piece.
    CPLine* GetFirstLine() const { return m_lineCount > 0 ? m_pieces.front().get() : nullptr; }
    // The pieces in the ring.
    int GetLineCount() const { return m_lineCount; }
    // Every piece made, in sampling order: the ring's pieces, then the fresh
    // piece that sampling made last and never completed, outside the ring.
    const std::vector<std::unique_ptr<CPLine>>& GetPieces() const { return m_pieces; }
    CPLine* GetLastFoundLine() const { return m_lastFound; }
    const D3DXVECTOR3& GetBoxMin() const { return m_boxMin; }
    const D3DXVECTOR3& GetBoxMax() const { return m_boxMax; }
    CPRenderObject* GetDrawBlock() const { return m_drawBlock.Get(); }

private:
    bool ReadSegments(CPDataFile& file);
    void Sample();
    // The point at a distance along the path; false when the distance lies
    // beyond the end of an open path.
    bool PointAt(float distance, D3DXVECTOR3& point) const;
    // Gives the current piece (the last made) its points and makes a fresh
    // one after it; the piece completed.
    CPLine* CompletePiece(const D3DXVECTOR3& start, const D3DXVECTOR3& end);
    void CloseRing(CPLine* last);
    void GrowBox(const D3DXVECTOR3& point);
    void AddToDrawBlock(const CPLine& piece);
    // No segments, no pieces, an empty box and an empty drawing.
    void Clear();

    std::vector<Segment> m_segments;
    float m_totalLength;
    bool m_closed;
    std::string m_name;
    RefPtr<CPRenderObject> m_drawBlock;
    std::vector<std::unique_ptr<CPLine>> m_pieces;
    int m_lineCount;
    CPLine* m_lastFound;
    D3DXVECTOR3 m_boxMin;
    D3DXVECTOR3 m_boxMax;
};
