#pragma once
// A station with one module of each temperature type behind its coupler, as the
// settings file "korvo.ini" of a widget test.

#include <QByteArray>

#include <string>

inline QByteArray TemperatureStation(const std::string& address = "127.0.0.10") {
    return QByteArray("[Module]\r\nAnzahl=6\r\nName1=KORVO NC ETH\r\nName2=KORVO RT 2\r\nName3=KORVO TC 2\r\n"
                      "Name4=KORVO TC 4\r\nName5=KORVO TC 8\r\nName6=KORVO RT 6\r\n"
                      "[Parameter]\r\nName1=\r\nName2=0,0,\r\nName3=0,0,\r\nName4=0,0,0,0,0,0,0,0,\r\n"
                      "Name5=0,0,0,0,0,0,0,0,\r\nName6=20,20,20,20,20,20,\r\n"
                      "[Station1]\r\nIPAddress=") +
           QByteArray::fromStdString(address) + "\r\nMask=255.0.0.0\r\nStation Name=Furnace\r\n";
}
