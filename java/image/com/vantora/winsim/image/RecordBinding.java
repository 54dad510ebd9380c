package com.vantora.winsim.image;

import com.google.gson.Gson;
import com.google.gson.JsonParseException;
import com.google.gson.TypeAdapter;
import com.google.gson.TypeAdapterFactory;
import com.google.gson.reflect.TypeToken;
import com.google.gson.stream.JsonReader;
import com.google.gson.stream.JsonToken;
import com.google.gson.stream.JsonWriter;
import java.io.IOException;
import java.lang.reflect.Constructor;
import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.RecordComponent;
import java.util.HashMap;
import java.util.LinkedHashMap;
import java.util.Map;

/**
 * Binds the tools' records, leaving out absent members; a record whose last component is {@code more}
 * keeps there the members it does not name, which Gson's own binding of records would drop.
 */
final class RecordBinding implements TypeAdapterFactory {
    private static final Object[] NO_ARGUMENTS = {};

    @Override
    @SuppressWarnings("unchecked")
    public <T> TypeAdapter<T> create(Gson gson, TypeToken<T> type) {
        Class<? super T> raw = type.getRawType();
        if (!raw.isRecord() || !raw.getName().startsWith("com.vantora.")) {
            return null;
        }
        RecordComponent[] parts = raw.getRecordComponents();
        boolean keeps = parts.length > 0 && parts[parts.length - 1].getName().equals("more");
        int named = keeps ? parts.length - 1 : parts.length;
        Method[] accessors = new Method[parts.length];
        String[] names = new String[parts.length];
        TypeAdapter<Object>[] adapters = new TypeAdapter[named];
        Map<String, Integer> index = new HashMap<>();
        Class<?>[] types = new Class<?>[parts.length];
        for (int i = 0; i < parts.length; i++) {
            types[i] = parts[i].getType();
            accessors[i] = parts[i].getAccessor();
            names[i] = parts[i].getName();
            if (i < named) {
                adapters[i] = (TypeAdapter<Object>) gson.getAdapter(TypeToken.get(parts[i].getGenericType()));
                index.put(parts[i].getName(), i);
            }
        }
        TypeAdapter<Object> any = gson.getAdapter(Object.class);
        Constructor<?> constructor;
        try {
            constructor = raw.getDeclaredConstructor(types);
        } catch (NoSuchMethodException e) {
            throw new IllegalStateException(e);
        }
        return (TypeAdapter<T>) new TypeAdapter<Object>() {
            @Override
            public void write(JsonWriter out, Object value) throws IOException {
                if (value == null) {
                    out.nullValue();
                    return;
                }
                out.beginObject();
                try {
                    for (int i = 0; i < named; i++) {
                        Object part = accessors[i].invoke(value, NO_ARGUMENTS);
                        if (part != null) {
                            adapters[i].write(out.name(names[i]), part);
                        }
                    }
                    Map<?, ?> more = keeps ? (Map<?, ?>) accessors[named].invoke(value, NO_ARGUMENTS) : null;
                    if (more != null) {
                        for (Map.Entry<?, ?> member : more.entrySet()) {
                            any.write(out.name((String) member.getKey()), member.getValue());
                        }
                    }
                } catch (IllegalAccessException | InvocationTargetException e) {
                    throw new IllegalStateException(e);
                }
                out.endObject();
            }

            @Override
            public Object read(JsonReader in) throws IOException {
                if (in.peek() == JsonToken.NULL) {
                    in.nextNull();
                    return null;
                }
                Object[] values = new Object[parts.length];
                Map<String, Object> more = new LinkedHashMap<>();
                in.beginObject();
                while (in.hasNext()) {
                    String name = in.nextName();
                    Integer i = index.get(name);
                    if (i != null) {
                        values[i] = adapters[i].read(in);
                    } else if (keeps) {
                        more.put(name, any.read(in));
                    } else {
                        in.skipValue();
                    }
                }
                in.endObject();
                if (keeps) {
                    values[named] = more;
                }
                try {
                    return constructor.newInstance(values);
                } catch (ReflectiveOperationException e) {
                    throw new JsonParseException("cannot make " + raw.getSimpleName() + " " + in.getPath(), e);
                }
            }
        };
    }
}
