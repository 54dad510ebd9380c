package com.vantora.adminserver.demo;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.util.List;
import org.junit.jupiter.api.Test;

class HostImageTest {
    static final String SAMPLE = """
        {
          "winsim": 1,
          "caller": { "administrator": false, "comApartment": "STA" },
          "timeoutScale": 0.010,
          "iis": {
            "metabase": { "name": "", "records": [], "children": [
              { "name": "LM", "records": [], "children": [
                { "name": "W3SVC",
                  "records": [
                    { "id": 1002, "attributes": 0, "userType": 1, "dataType": 2, "value": "IIsWebService" },
                    { "id": 6015, "attributes": 1, "userType": 2, "dataType": 5, "value": [".htm,text/html", ".txt,text/plain"] },
                    { "id": 6016, "attributes": 1, "userType": 2, "dataType": 1, "value": 4294967295 },
                    { "id": 9999, "attributes": 0, "userType": 1, "dataType": 5, "hex": "6100" }
                  ],
                  "children": [
                    { "name": "Filters", "records": [], "children": [] },
                    { "name": "1", "records": [], "children": [
                      { "name": "Root", "records": [
                        { "id": 3001, "attributes": 1, "userType": 2, "dataType": 2, "value": "C:\\\\x" } ],
                        "children": [] } ] } ] } ] } ] },
            "backups": [ { "name": "", "version": 0, "metabase": { "name": "", "records": [], "children": [] } },
                         { "name": "before-upgrade", "version": 3, "metabase": { "name": "", "records": [], "children": [] } } ],
            "heldKeys": [ { "path": "/LM/W3SVC/1/ROOT", "access": 3 } ]
          },
          "registry": { "HKEY_LOCAL_MACHINE": { "name": "", "values": [], "children": [
            { "name": "SOFTWARE", "values": [], "children": [
              { "name": "PHP", "values": [ { "name": "IniFilePath", "type": 1, "data": "C:\\\\PHP" } ], "children": [] } ] } ] } },
          "services": [
            { "name": "W3SVC", "state": 4, "startType": 2, "startResult": 0, "deniedAccess": 0 },
            { "name": "IISADMIN", "state": 1, "startType": 4, "startResult": 1058, "deniedAccess": 16 }
          ],
          "broadcasts": [ { "window": 65535, "message": 26, "wParam": 0, "lParam": "Environment", "flags": 2, "timeout": 10 } ],
          "faults": [ { "call": "SetData", "occurrence": 3, "path": "/LM/W3SVC", "status": -2147024891 },
                      { "call": "RegOpenKeyExW", "occurrence": 0, "status": 5 } ]
        }
        """;

    @Test
    void listsEveryFactByMeaningInAreaOrder() {
        assertEquals("""
            winsim  1
            caller administrator  false
            caller comApartment  "STA"
            timeoutScale  0.01
            fault 1  SetData occurrence 3 path "/LM/W3SVC" status -2147024891 (0x80070005)
            fault 2  RegOpenKeyExW occurrence 0 status 5
            service W3SVC  running (4), start type 2
            service IISADMIN  stopped (1), start type 4, start result 1058, denied access 0x10
            iis  installed
            metabase /LM  (key)
            metabase /LM/W3SVC  (key)
            metabase /LM/W3SVC  #1002  "IIsWebService" (attr 0, user 1, type 2)
            metabase /LM/W3SVC  #6015  [".htm,text/html", ".txt,text/plain"] (attr 1, user 2, type 5)
            metabase /LM/W3SVC  #6016  4294967295 (attr 1, user 2, type 1)
            metabase /LM/W3SVC  #9999  hex 6100 (attr 0, user 1, type 5)
            metabase /LM/W3SVC/Filters  (key)
            metabase /LM/W3SVC/1  (key)
            metabase /LM/W3SVC/1/Root  (key)
            metabase /LM/W3SVC/1/Root  #3001  "C:\\\\x" (attr 1, user 2, type 2)
            held key /LM/W3SVC/1/ROOT  access 3
            registry HKLM\\SOFTWARE  (key)
            registry HKLM\\SOFTWARE\\PHP  (key)
            registry HKLM\\SOFTWARE\\PHP  IniFilePath  REG_SZ "C:\\\\PHP"
            backup "" v0  saved
            backup "before-upgrade" v3  saved
            broadcast 1  message 26 lParam "Environment" flags 2 timeout 10""",
            HostImage.parse(SAMPLE).toString());
        assertEquals(List.of("service W3SVC", "service IISADMIN"),
                List.copyOf(HostImage.parse(SAMPLE).facts(HostImage.Area.SERVICES).keySet()));
    }
}
