#pragma once

// A body's shapes, rays or controllers: pool objects chained through their
// own next pointers, in the order they were added.
template <class T>
struct PLinkedList {
    T* head = nullptr;
    T* tail = nullptr;
    int count = 0;

    // Appends the object when there is one; answers it.
    T* Append(T* object)
    {
        if (!object) return nullptr;
        if (tail) tail->SetNext(object);
        else head = object;
        tail = object;
        ++count;
        return object;
    }
};
